// The settings record: the watch folder, the converter program and the size
// limit. It travels whole: from Kovaset.ini into CWatchDlg, between its
// members and the dialog's boxes, and to the worker (PublishSettings).
#pragma once

#include <cstdint>
#include <string>

struct SettingsRecord {
    std::string strWatchDir;    // empty, or ending in a separator once published
    std::string strProgram;     // the start of the converter's command line
    std::uint32_t nLimitMB = 0; // MiB; published unsigned, read signed: 0 or above
                                // 2147483647 switches the quota pass off

    bool operator==(const SettingsRecord&) const = default;
};

// One setting of the record: a text, or an unsigned number, which the file
// holds in signed decimal and the dialog's box shows unsigned.
struct SettingField {
    std::string SettingsRecord::*text = nullptr;
    std::uint32_t SettingsRecord::*number = nullptr;

    bool operator==(const SettingField&) const = default;
};

// Every setting, in the order of the file's lines.
inline constexpr SettingField kSettingFields[] = {
    {.text = &SettingsRecord::strWatchDir},
    {.text = &SettingsRecord::strProgram},
    {.number = &SettingsRecord::nLimitMB},
};
