#include "platform/fltk/widgets.hpp"

#include <FL/fl_draw.H>

#include "ui/view.hpp"

namespace qm {

namespace {

constexpr int kFrameCaptionIndent = 8;  // caption start from the frame's left edge
constexpr int kFrameCaptionHeight = 14;

// A widget without a box leaves its background to the window: damage that area so the old
// text is wiped when the window redraws.
void damageBehind(Fl_Widget& widget) {
    if (widget.window() != nullptr) {
        widget.window()->damage(FL_DAMAGE_ALL, widget.x(), widget.y(), widget.w(), widget.h());
    }
}

void dialogCallback(Fl_Widget* widget, void*) {
    auto* window = static_cast<DialogWindow*>(widget);
    if (window->closeRequested != nullptr) window->closeRequested(window);
}

}  // namespace

GroupFrame::GroupFrame(int x, int y, int w, int h, const char* caption)
    : Fl_Box(FL_NO_BOX, x, y, w, h, nullptr), caption_(caption) {}

void GroupFrame::setCaption(const std::string& caption) {
    caption_ = caption;
    damageBehind(*this);
}

void GroupFrame::draw() {
    const int lineY = y() + kFrameCaptionHeight / 2;
    fl_draw_box(FL_ENGRAVED_FRAME, x(), lineY, w(), h() - (lineY - y()), color());
    if (caption_.empty()) return;
    fl_font(labelfont(), kLabelSize);
    int textW = w() - 2 * kFrameCaptionIndent, textH = 0;
    fl_measure(caption_.c_str(), textW, textH, 0);
    const int textX = x() + kFrameCaptionIndent;
    // The caption interrupts the frame's top line.
    fl_color(parent() != nullptr ? parent()->color() : FL_BACKGROUND_COLOR);
    fl_rectf(textX - 2, y(), textW + 4, kFrameCaptionHeight);
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    fl_draw(caption_.c_str(), textX, y(), textW, kFrameCaptionHeight, FL_ALIGN_LEFT | FL_ALIGN_INSIDE,
            nullptr, 0);
}

StaticText::StaticText(int x, int y, int w, int h, const char* text)
    : Fl_Box(FL_NO_BOX, x, y, w, h, nullptr), text_(text) {}

void StaticText::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    damageBehind(*this);
}

void StaticText::draw() {
    if (text_.empty()) return;
    fl_font(labelfont(), kLabelSize);
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    fl_push_clip(x(), y(), w(), h());
    fl_draw(text_.c_str(), x(), y(), w(), h(), FL_ALIGN_LEFT | FL_ALIGN_INSIDE, nullptr, 0);
    fl_pop_clip();
}

SelectAllInput::SelectAllInput(int x, int y, int w, int h, bool selectAll)
    : Fl_Input(x, y, w, h, nullptr), selectAll_(selectAll) {
    textsize(kLabelSize);
}

int SelectAllInput::handle(int event) {
    if (selectAll_) {
        if (event == FL_PUSH && Fl::focus() != this && Fl::event_button() == FL_LEFT_MOUSE) {
            // Take the focus (which selects everything) and keep the click from moving the cursor.
            take_focus();
            swallowClick_ = true;
            return 1;
        }
        if (swallowClick_ && (event == FL_DRAG || event == FL_RELEASE)) {
            if (event == FL_RELEASE) swallowClick_ = false;
            return 1;
        }
    }
    const int used = Fl_Input::handle(event);
    if (event == FL_FOCUS && selectAll_) position(size(), 0);
    return used;
}

ViewBox::ViewBox(int x, int y, int w, int h, const uint8_t* pixels)
    : Fl_Widget(x, y, w, h, nullptr), pixels_(pixels) {}

void ViewBox::draw() { fl_draw_image(pixels_, x(), y(), kViewWidth, kViewHeight, 3, 0); }

int PasteReceiver::handle(int event) {
    if (event != FL_PASTE) return 0;
    text.assign(Fl::event_text() != nullptr ? Fl::event_text() : "", static_cast<size_t>(Fl::event_length()));
    received = true;
    return 1;
}

DialogWindow::DialogWindow(int w, int h, const char* caption) : Fl_Double_Window(w, h, nullptr) {
    copy_label(caption);
    callback(dialogCallback);
}

}  // namespace qm
