#include "platform/fltk/message_box.hpp"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "platform/fltk/conversions.hpp"
#include "platform/fltk/layout.hpp"
#include "platform/fltk/widgets.hpp"

namespace qm {

namespace {

constexpr int kIconSize = 32;
constexpr int kTextGap = 14;       // between the icon and the text
constexpr int kMinTextWidth = 160;
constexpr int kMaxTextWidth = 560;

// The icon: a yellow triangle with "!", a blue disc with "i" or a red disc with a cross.
class MessageIconBox : public Fl_Box {
public:
    MessageIconBox(int x, int y, MessageIcon icon) : Fl_Box(FL_NO_BOX, x, y, kIconSize, kIconSize, nullptr), icon_(icon) {}

protected:
    void draw() override {
        const int left = x(), top = y(), size = kIconSize;
        if (icon_ == kIconWarning) {
            fl_color(fl_rgb_color(250, 200, 30));
            fl_polygon(left + size / 2, top + 1, left + size - 1, top + size - 2, left + 1, top + size - 2);
            fl_color(fl_rgb_color(120, 90, 0));
            fl_loop(left + size / 2, top + 1, left + size - 1, top + size - 2, left + 1, top + size - 2);
            fl_color(FL_BLACK);
            fl_rectf(left + size / 2 - 2, top + 10, 4, 11);
            fl_rectf(left + size / 2 - 2, top + 23, 4, 4);
            return;
        }
        fl_color(icon_ == kIconInformation ? fl_rgb_color(40, 100, 210) : fl_rgb_color(210, 40, 40));
        fl_pie(left, top, size, size, 0, 360);
        fl_color(FL_WHITE);
        if (icon_ == kIconInformation) {
            fl_rectf(left + size / 2 - 2, top + 7, 4, 4);
            fl_rectf(left + size / 2 - 2, top + 13, 4, 12);
        } else {
            fl_line_style(FL_SOLID | FL_CAP_ROUND, 4);
            fl_line(left + 10, top + 10, left + size - 10, top + size - 10);
            fl_line(left + size - 10, top + 10, left + 10, top + size - 10);
            fl_line_style(0);
        }
    }

private:
    MessageIcon icon_;
};

// The text lines, drawn literally.
class MessageText : public Fl_Box {
public:
    MessageText(int x, int y, int w, int h, const std::string& text)
        : Fl_Box(FL_NO_BOX, x, y, w, h, nullptr), text_(text) {}

protected:
    void draw() override {
        fl_font(FL_HELVETICA, kLabelSize);
        fl_color(FL_FOREGROUND_COLOR);
        fl_draw(text_.c_str(), x(), y(), w(), h(), FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE, nullptr, 0);
    }

private:
    std::string text_;
};

void closeBox(Fl_Widget* widget, void*) {
    Fl_Window* window = widget->as_window() != nullptr ? widget->as_window() : widget->window();
    if (window != nullptr) window->hide();
}

}  // namespace

void showMessageBox(const std::string& caption, const std::string& text, MessageIcon icon, Fl_Window* owner) {
    const std::string lines = withoutCarriageReturns(text);
    fl_font(FL_HELVETICA, kLabelSize);
    int textW = 0, textH = 0;
    fl_measure(lines.c_str(), textW, textH, 0);
    textW = std::clamp(textW + 4, kMinTextWidth, kMaxTextWidth);
    const int contentH = std::max(textH, kIconSize);
    const int width = kMessageBoxMargin * 2 + kIconSize + kTextGap + textW;
    const int height = kMessageBoxMargin * 3 + contentH + kMessageBoxButtonHeight;

    Fl_Double_Window box(width, height, nullptr);
    box.copy_label(caption.c_str());
    new MessageIconBox(kMessageBoxMargin + 4, kMessageBoxMargin, icon);
    new MessageText(kMessageBoxMargin + kIconSize + kTextGap, kMessageBoxMargin, textW, contentH, lines);
    auto* ok = new Fl_Return_Button((width - kMessageBoxButtonWidth) / 2,
                                    height - kMessageBoxMargin - kMessageBoxButtonHeight,
                                    kMessageBoxButtonWidth, kMessageBoxButtonHeight, "OK");
    ok->labelsize(kLabelSize);
    ok->callback(closeBox);
    box.end();
    box.callback(closeBox);  // close box and Escape
    if (owner != nullptr && owner->shown()) {
        box.position(owner->x() + (owner->w() - width) / 2, owner->y() + (owner->h() - height) / 2);
    } else {
        box.position((Fl::w() - width) / 2, (Fl::h() - height) / 2);
    }
    box.set_modal();
    box.show();
    ok->take_focus();
    while (box.shown()) Fl::wait();
}

}  // namespace qm
