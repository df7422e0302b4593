#pragma once
// The backend's own widgets: group frames, statics drawn as plain text, edits that select their
// text on focus, the view, the clipboard receiver and the dialog windows. Only the backend's
// sources include this (it brings in the FLTK headers).
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Widget.H>

#include <cstdint>
#include <string>

namespace qm {

constexpr int kLabelSize = 11;  // text size of labels, captions and edits

// A frame with its caption on the top edge, the caption on the window's background.
class GroupFrame : public Fl_Box {
public:
    GroupFrame(int x, int y, int w, int h, const char* caption);
    void setCaption(const std::string& caption);
    const std::string& caption() const { return caption_; }

protected:
    void draw() override;

private:
    std::string caption_;
};

// Left-aligned text without a background. The text is drawn literally: no symbol or shortcut
// characters, so level-set names with "@" or "&" show as they are.
class StaticText : public Fl_Box {
public:
    StaticText(int x, int y, int w, int h, const char* text);
    void setText(const std::string& text);
    const std::string& text() const { return text_; }

protected:
    void draw() override;

private:
    std::string text_;
};

// A one-line edit; with selectAll set, all its text is selected when it gets the focus, also
// when the focus comes from a mouse click.
class SelectAllInput : public Fl_Input {
public:
    SelectAllInput(int x, int y, int w, int h, bool selectAll);
    int handle(int event) override;

private:
    bool selectAll_;
    bool swallowClick_ = false;  // the click that gave the focus: keep the selection
};

// Shows an RGB picture of the view's size kept by its owner.
class ViewBox : public Fl_Widget {
public:
    ViewBox(int x, int y, int w, int h, const uint8_t* pixels);

protected:
    void draw() override;

private:
    const uint8_t* pixels_;
};

// Receives the text of a clipboard request (FL_PASTE) for readClipboard.
class PasteReceiver : public Fl_Widget {
public:
    PasteReceiver() : Fl_Widget(0, 0, 1, 1) {}
    int handle(int event) override;
    void draw() override {}

    std::string text;
    bool received = false;
};

// A window whose close box and Escape key call closeRequested instead of hiding it.
class DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(int w, int h, const char* caption);
    void (*closeRequested)(DialogWindow*) = nullptr;
    int32_t base = 0;  // the dialog's base identifier
};

}  // namespace qm
