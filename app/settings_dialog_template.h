// The settings dialog IDD_MAIN, described once without a toolkit: its size,
// caption and font, and each control with its label in template order, which
// is also the Tab order; and the box of each setting. On Windows the labels
// are compiled to code page 932. Places are in dialog units. The Win32 view
// creates the dialog from the template in res/kovalin.rc, which a test holds
// to this description; the Qt view builds its dialog from the description.
#pragma once

#include <span>

#include "app/watch_view.h"
#include "core/settings_record.h"

enum class ControlKind { Edit, MultiLineEdit, Label, Button };

// What the template's styles ask of a control beyond its kind.
enum ControlStyle : unsigned {
    kPlain = 0,
    kRightAligned = 1, // ES_RIGHT
    kNumbersOnly = 2,  // ES_NUMBER: typing puts digits only
};

struct DialogControl {
    ControlKind kind;
    const char* idName; // "IDC_..."; null for a label, which has no identifier
    int id;             // the control identifier; -1 for a label
    const char* text;   // null for an edit box
    int x, y, width, height;
    unsigned style = kPlain;
};

struct DialogTemplate {
    const char* name;
    int width, height;
    const char* caption;
    const char* font;
    int pointSize;
    std::span<const DialogControl> controls;
};

extern const DialogTemplate kSettingsDialog;

// An edit box that shows a setting: its field in the record, and the label
// that names the box in a message.
struct SettingBox {
    EditBox box;
    SettingField field;
    const char* label;
};

// The settings' boxes, in the order of the data exchange.
extern const std::span<const SettingBox> kSettingBoxes;
