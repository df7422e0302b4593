#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fltk/backend.hpp"
#include "platform/fltk/conversions.hpp"
#include "ui/main_window.hpp"

namespace qm {

Backend backend;

namespace {

constexpr int kEditorTextSize = 12;  // the text box's levels and solutions

// A button, check box or radio button of the main window or a dialog was used.
void commandCallback(Fl_Widget*, void* data) {
    if (backend.closeRequested) return;
    const auto id = static_cast<int32_t>(reinterpret_cast<intptr_t>(data));
    if (id >= kOptionDialog) onDialogCommand(id);
    else onCommand(id);
}

// The window whose caption the identifier names (a dialog's base + kCaption), else null.
DialogWindow* captionWindow(int32_t id) {
    const int32_t index = dialogIndex(id - kCaption);
    return index >= 0 ? backend.windows[index] : nullptr;
}

Fl_Color textColour(TextColour colour) {
    if (colour == kTextBlue) return fl_rgb_color(0, 0, 255);
    if (colour == kTextRed) return fl_rgb_color(255, 0, 0);
    return FL_FOREGROUND_COLOR;
}

Fl_Widget* createControl(const ControlLayout& layout) {
    void* data = reinterpret_cast<void*>(static_cast<intptr_t>(layout.id));
    switch (layout.kind) {
    case kKindGroupFrame:
        return new GroupFrame(layout.x, layout.y, layout.w, layout.h, layout.caption);
    case kKindButton: {
        auto* button = new Fl_Button(layout.x, layout.y, layout.w, layout.h);
        button->copy_label(layout.caption);
        button->labelsize(kLabelSize);
        button->callback(commandCallback, data);
        return button;
    }
    case kKindEdit: {
        auto* edit = new SelectAllInput(layout.x, layout.y, layout.w, layout.h, layout.selectAllOnFocus);
        edit->when(FL_WHEN_NEVER);
        return edit;
    }
    case kKindMultiEdit: {
        auto* edit = new Fl_Text_Editor(layout.x, layout.y, layout.w, layout.h);
        backend.boxText = new Fl_Text_Buffer();
        edit->buffer(backend.boxText);
        edit->textfont(FL_COURIER);
        edit->textsize(kEditorTextSize);
        edit->when(FL_WHEN_NEVER);
        return edit;
    }
    case kKindStatic: {
        auto* text = new StaticText(layout.x, layout.y, layout.w, layout.h, layout.caption);
        text->labelcolor(textColour(layout.colour));
        return text;
    }
    case kKindCheckBox:
    case kKindRadio: {
        Fl_Button* button = layout.kind == kKindCheckBox
                                ? static_cast<Fl_Button*>(new Fl_Check_Button(layout.x, layout.y, layout.w, layout.h))
                                : static_cast<Fl_Button*>(new Fl_Round_Button(layout.x, layout.y, layout.w, layout.h));
        if (layout.kind == kKindRadio) button->type(FL_RADIO_BUTTON);
        button->copy_label(layout.caption);
        button->labelsize(kLabelSize);
        button->callback(commandCallback, data);
        return button;
    }
    case kKindProgress: {
        auto* bar = new Fl_Progress(layout.x, layout.y, layout.w, layout.h);
        bar->box(FL_THIN_DOWN_BOX);
        bar->color(fl_rgb_color(230, 230, 230));
        bar->minimum(0);
        bar->maximum(100);
        bar->value(0);
        return bar;
    }
    case kKindBoardFrame:
        return new Fl_Box(FL_THIN_DOWN_FRAME, layout.x, layout.y, layout.w, layout.h, nullptr);
    case kKindView:
        backend.viewBox = new ViewBox(layout.x, layout.y, layout.w, layout.h, backend.viewPixels);
        return backend.viewBox;
    }
    return nullptr;
}

}  // namespace

int32_t dialogIndex(int32_t base) {
    for (int32_t i = 0; i < kDialogCount; ++i) {
        if (dialogLayouts[i].base == base) return i;
    }
    return -1;
}

ControlEntry* findControl(int32_t id) {
    for (int32_t i = 0; i < backend.controlCount; ++i) {
        if (backend.controls[i].id == id) return &backend.controls[i];
    }
    return nullptr;
}

Fl_Window* mainWindow() { return backend.windows[0]; }

void buildWindows() {
    for (int32_t index = 0; index < kDialogCount; ++index) {
        const DialogLayout& layout = dialogLayouts[index];
        auto* window = new DialogWindow(layout.width, layout.height, layout.caption);
        window->base = layout.base;
        window->closeRequested = windowCloseRequested;
        for (int32_t i = 0; i < layout.controlCount; ++i) {
            const ControlLayout& control = layout.controls[i];
            Fl_Widget* widget = createControl(control);
            if (control.id != kUnnamedControl && widget != nullptr && backend.controlCount < kMaxControls) {
                backend.controls[backend.controlCount++] = ControlEntry{control.id, control.kind, widget};
            }
        }
        window->end();
        backend.windows[index] = window;
    }
    backend.windows[0]->xclass("Quillmate");
    backend.pasteReceiver = new PasteReceiver();  // belongs to no window
}

void centreMainWindow() {
    Fl_Window* window = mainWindow();
    int x = 0, y = 0, w = 0, h = 0;
    Fl::screen_work_area(x, y, w, h);
    window->position(x + std::max(0, (w - window->w()) / 2), y + std::max(0, (h - window->h()) / 2));
}

void centreOverMain(Fl_Window* window) {
    const Fl_Window* owner = mainWindow();
    window->position(owner->x() + (owner->w() - window->w()) / 2, owner->y() + (owner->h() - window->h()) / 2);
}

void setControlText(int32_t id, const std::string& text) {
    if (DialogWindow* window = captionWindow(id)) {
        window->copy_label(text.c_str());
        return;
    }
    ControlEntry* entry = findControl(id);
    if (entry == nullptr) return;
    switch (entry->kind) {
    case kKindGroupFrame:
        static_cast<GroupFrame*>(entry->widget)->setCaption(text);
        break;
    case kKindStatic:
        static_cast<StaticText*>(entry->widget)->setText(withoutCarriageReturns(text));
        break;
    case kKindButton:
    case kKindCheckBox:
    case kKindRadio:
        entry->widget->copy_label(text.c_str());
        entry->widget->redraw();
        break;
    case kKindEdit:
        static_cast<Fl_Input*>(entry->widget)->value(withoutCarriageReturns(text).c_str());
        break;
    case kKindMultiEdit:
        backend.boxText->text(withoutCarriageReturns(text).c_str());
        static_cast<Fl_Text_Editor*>(entry->widget)->insert_position(0);
        static_cast<Fl_Text_Editor*>(entry->widget)->show_insert_position();
        break;
    case kKindProgress:
    case kKindBoardFrame:
    case kKindView:
        break;
    }
}

std::string getControlText(int32_t id) {
    if (DialogWindow* window = captionWindow(id)) return window->label() != nullptr ? window->label() : "";
    ControlEntry* entry = findControl(id);
    if (entry == nullptr) return {};
    switch (entry->kind) {
    case kKindGroupFrame:
        return static_cast<GroupFrame*>(entry->widget)->caption();
    case kKindStatic:
        return static_cast<StaticText*>(entry->widget)->text();
    case kKindButton:
    case kKindCheckBox:
    case kKindRadio:
        return entry->widget->label() != nullptr ? entry->widget->label() : "";
    case kKindEdit:
        return static_cast<Fl_Input*>(entry->widget)->value();
    case kKindMultiEdit: {
        char* copy = backend.boxText->text();
        std::string text = copy != nullptr ? copy : "";
        std::free(copy);
        return text;
    }
    case kKindProgress:
    case kKindBoardFrame:
    case kKindView:
        break;
    }
    return {};
}

Fl_Progress* findBar(int32_t id) {
    ControlEntry* entry = findControl(id);
    return entry != nullptr && entry->kind == kKindProgress ? static_cast<Fl_Progress*>(entry->widget) : nullptr;
}

Fl_Button* findToggle(int32_t id) {
    ControlEntry* entry = findControl(id);
    if (entry == nullptr || (entry->kind != kKindCheckBox && entry->kind != kKindRadio)) return nullptr;
    return static_cast<Fl_Button*>(entry->widget);
}

}  // namespace qm
