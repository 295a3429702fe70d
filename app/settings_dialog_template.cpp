#include "app/settings_dialog_template.h"

namespace {

constexpr int Id(EditBox box) {
    return static_cast<int>(box);
}

using enum ControlKind;

constexpr const char* kWatchDirLabel = "監視するフォルダ";
constexpr const char* kProgramLabel = "実行するプログラム";
constexpr const char* kLimitLabel = "ファイルサイズ合計が";

constexpr DialogControl kControls[] = {
    {Edit, "IDC_WATCH_DIR", Id(EditBox::WatchDir), nullptr, 5, 17, 193, 14},
    {Label, nullptr, -1, kWatchDirLabel, 5, 7, 52, 8},
    {Edit, "IDC_PROGRAM", Id(EditBox::Program), nullptr, 5, 46, 192, 14},
    {Label, nullptr, -1, kProgramLabel, 5, 36, 58, 8},
    {Label, nullptr, -1, kLimitLabel, 5, 68, 64, 8},
    {Edit, "IDC_LIMIT", Id(EditBox::Limit), nullptr, 74, 63, 40, 14, kNumbersOnly | kRightAligned},
    {Label, nullptr, -1, "Mバイトを超えたら古いファイルから削除する", 117, 67, 130, 8},
    {Button, "IDC_APPLY", 1004, "設定", 198, 166, 50, 14},
    {Button, "IDC_DISCARD", 1005, "キャンセル", 143, 166, 50, 14},
    {Button, "IDC_BROWSE_PROGRAM", 1006, "参照", 200, 46, 36, 14},
    {Button, "IDC_BROWSE_DIR", 1007, "参照", 201, 17, 36, 14},
    {Label, nullptr, -1, "（0を指定すると削除しません）", 73, 80, 87, 8},
    {MultiLineEdit, "IDC_STATUS", Id(EditBox::Status), nullptr, 5, 92, 243, 68},
};

constexpr SettingBox kBoxes[] = {
    {EditBox::WatchDir, {.text = &SettingsRecord::strWatchDir}, kWatchDirLabel},
    {EditBox::Program, {.text = &SettingsRecord::strProgram}, kProgramLabel},
    {EditBox::Limit, {.number = &SettingsRecord::nLimitMB}, kLimitLabel},
};

} // namespace

const DialogTemplate kSettingsDialog = {
    .name = "IDD_MAIN",
    .width = 255,
    .height = 187,
    .caption = "Kovalin",
    .font = "ＭＳ Ｐゴシック",
    .pointSize = 9,
    .controls = kControls,
};

const std::span<const SettingBox> kSettingBoxes = kBoxes;
