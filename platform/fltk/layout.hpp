#pragma once
// Where every control of the main window, the option dialog and the text box sits, what kind of
// widget it is and its initial caption. The backend builds its widgets from these tables; they
// hold no window-system types, so the tests can check them without a display.
#include <cstdint>

namespace qm {

enum ControlKind : int32_t {
    kKindGroupFrame,  // frame with its caption on the top edge
    kKindButton,
    kKindEdit,        // one-line edit
    kKindMultiEdit,   // multi-line edit with scroll bars
    kKindStatic,      // text on the window's background
    kKindCheckBox,
    kKindRadio,       // radio buttons of one dialog form one group
    kKindProgress,
    kKindBoardFrame,  // sunken frame around the view
    kKindView,        // the 768 x 480 picture of ui/view.hpp
};

enum TextColour : int32_t { kTextPlain = 0, kTextBlue = 1, kTextRed = 2 };

// Controls that the logic does not address (labels of edits, the option dialog's frames, the
// view) carry this identifier.
constexpr int32_t kUnnamedControl = -1;

struct ControlLayout {
    int32_t id;             // dialog base + identifier, or kUnnamedControl
    ControlKind kind;
    int32_t x, y, w, h;     // client coordinates
    const char* caption;    // initial caption ("" for none)
    TextColour colour;
    bool selectAllOnFocus;  // edits: all text selected when they get the focus
};

struct DialogLayout {
    int32_t base;           // kMainWindow, kOptionDialog or kTextBoxDialog
    const char* caption;    // initial window caption
    int32_t width, height;  // client area
    const ControlLayout* controls;
    int32_t controlCount;
};

constexpr int32_t kDialogCount = 3;
// The main window, the option dialog and the text box, in that order.
extern const DialogLayout dialogLayouts[kDialogCount];

// The layout of a dialog by its base; nullptr for an unknown base.
const DialogLayout* findDialogLayout(int32_t base);

// Geometry of the message box: the caller lays out the text and icon, the button follows these.
constexpr int32_t kMessageBoxButtonWidth = 80;
constexpr int32_t kMessageBoxButtonHeight = 26;
constexpr int32_t kMessageBoxMargin = 12;  // from the box's edges to its contents

}  // namespace qm
