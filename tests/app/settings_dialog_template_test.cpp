// The description of the settings dialog against the template in
// res/kovalin.rc, from which the Windows program creates the dialog, with the
// identifiers numbered as in res/resource.h; and the refusal in its string
// table against the text the other views show.
#include "app/settings_dialog_template.h"
#include "core/texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Lines = std::vector<std::string>;

// A file of res/, each line's words parted by one blank, in the program's
// encoding: the files are UTF-8, the texts on Windows code page 932.
Lines Read(const std::string& name) {
    std::ifstream file(KOVALIN_SOURCE_DIR "/res/" + name, std::ios::binary);
    Lines lines;
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string joined, word;
        while (words >> word)
            joined += (joined.empty() ? "" : " ") + word;
#ifdef _WIN32
        std::wstring wide(joined.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, joined.data(), joined.size(), wide.data(),
                                        wide.size()));
        joined.resize(WideCharToMultiByte(932, 0, wide.data(), wide.size(), joined.data(),
                                          joined.size(), nullptr, nullptr));
#endif
        lines.push_back(joined);
    }
    return lines;
}

// A control as the template would state it, with only the styles that the
// description holds.
std::string Stated(const DialogControl& control) {
    const char* const keywords[] = {"EDITTEXT ", "EDITTEXT ", "LTEXT ", "PUSHBUTTON "};
    std::string line = keywords[static_cast<int>(control.kind)];
    if (control.text)
        line += "\"" + std::string(control.text) + "\", ";
    line += control.idName ? control.idName : std::to_string(control.id);
    for (const int number : {control.x, control.y, control.width, control.height})
        line += ", " + std::to_string(number);
    line += control.kind == ControlKind::MultiLineEdit ? " ES_MULTILINE" : "";
    line += control.style & kNumbersOnly ? " ES_NUMBER" : "";
    return line + (control.style & kRightAligned ? " ES_RIGHT" : "");
}

TEST(SettingsDialogTemplateTest, DescribesTheTemplateOfTheWindowsProgram) {
    const Lines script = Read("kovalin.rc"), identifiers = Read("resource.h");
    const DialogTemplate& dialog = kSettingsDialog;
    const std::string statement = dialog.name + std::string(" DIALOGEX 0, 0, ") +
                                  std::to_string(dialog.width) + ", " +
                                  std::to_string(dialog.height);
    const auto head = std::find(script.begin(), script.end(), statement);
    ASSERT_NE(head, script.end()) << statement;
    const auto begin = std::find(head, script.end(), "BEGIN");
    const auto end = std::find(begin, script.end(), "END");
    ASSERT_NE(end, script.end());
    EXPECT_NE(std::find(head, begin, "CAPTION \"" + std::string(dialog.caption) + "\""), begin);
    const std::string font = "FONT " + std::to_string(dialog.pointSize) + ", \"" + dialog.font;
    EXPECT_TRUE(std::any_of(
        head, begin, [&](const std::string& line) { return line.starts_with(font + "\","); }));

    Lines controls, described;
    for (auto line = begin + 1; line != end; ++line) {
        controls.push_back(line->substr(0, line->find(", ES_")));
        for (const std::string style : {"ES_MULTILINE", "ES_NUMBER", "ES_RIGHT"})
            controls.back() += line->find(style) != std::string::npos ? " " + style : "";
    }
    for (const DialogControl& control : dialog.controls) {
        described.push_back(Stated(control));
        if (!control.idName)
            continue;
        const std::string define =
            "#define " + std::string(control.idName) + " " + std::to_string(control.id);
        EXPECT_NE(std::find(identifiers.begin(), identifiers.end(), define), identifiers.end())
            << define;
    }
    EXPECT_EQ(controls, described);
}

TEST(SettingsDialogTemplateTest, EverySettingHasOneEditBoxThatALabelNames) {
    const auto controls = kSettingsDialog.controls;
    const auto has = [&](ControlKind kind, auto same) {
        return std::any_of(controls.begin(), controls.end(), [&](const DialogControl& control) {
            return control.kind == kind && same(control);
        });
    };
    EXPECT_EQ(kSettingBoxes.size(), std::size(kSettingFields));
    for (const SettingField& field : kSettingFields) {
        const auto box = std::find_if(kSettingBoxes.begin(), kSettingBoxes.end(),
                                      [&](const SettingBox& box) { return box.field == field; });
        ASSERT_NE(box, kSettingBoxes.end());
        EXPECT_TRUE(has(ControlKind::Edit, [&](const DialogControl& control) {
            return control.id == static_cast<int>(box->box);
        })) << box->label;
        EXPECT_TRUE(has(ControlKind::Label, [&](const DialogControl& control) {
            return std::string(control.text) == box->label;
        })) << box->label;
    }
}

TEST(SettingsDialogTemplateTest, TheStringTableRefusesALimitWithTheSameText) {
    const Lines script = Read("kovalin.rc");
    const std::string entry = "IDS_PARSE_UINT \"" + std::string(texts::kLimitRefusal) + "\"";
    EXPECT_NE(std::find(script.begin(), script.end(), entry), script.end()) << entry;
}

} // namespace
