// Every status as the Windows tray tip shows it: cut to kTrayTipBytes.
#include <gtest/gtest.h>

#include <string>

#include "core/file_name.h"
#include "core/status.h"
#include "core/texts.h"
#include "platform/lead_bytes.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Each status the worker can publish, with the longest counts, titles,
// programs and PIDs that occur, and what the tip must keep of it: what the
// tip cuts is the least useful part. Texts that fit are kept whole.
TEST(TrayTipTest, EveryStatusKeepsWhatMattersMost) {
    const std::size_t most = 999999;       // files of one folder
    const std::string title(250, 't');     // a 255-byte name without ".flv"
    const std::string shortTitle(45, 't'); // leaves room for the verb
    const std::string program = "C:\\" + std::string(240, 'p') + "\\conv.bat";
    const struct {
        Status status;
        std::string kept;
    } cases[] = {
        {texts::Starting(), "起動中"},
        {texts::Idle(0, 0, false), "待機中"},
        {texts::Idle(most, most, false, most), "待機中"}, // the counts go
        {texts::Idle(most, most, true, most), "待機中\r\n削除しても上限を超えます"},
        {texts::Converting("clip", static_cast<int>(most)), "clipを変換中\r\n変換動画数 999999"},
        {texts::Converting(shortTitle, static_cast<int>(most)), shortTitle + "を変換中"},
        {texts::Converting(title, static_cast<int>(most)), title.substr(0, 40)}, // its start
        {texts::StartFailed(""), "実行するプログラムを起動できません\r\n「」"},
        {texts::StartFailed(program), "実行するプログラムを起動できません"}, // the path goes
        {texts::FolderInUse(0), "他のKovalinが監視フォルダを使用中"},
        {texts::FolderInUse(2147483647), "他のKovalinが監視フォルダを使用中\r\nPID 2147483647"},
    };
    for (const auto& [status, kept] : cases) {
        const std::string tip = CutAtCharBoundary(status.text, kTrayTipBytes, SystemLeadBytes());
        EXPECT_EQ(tip.substr(0, kept.size()), kept) << status;
        // A count or a PID is shown whole or not at all.
        const bool cutInANumber = !tip.empty() && tip.size() < status.text.size() &&
                                  IsDigit(tip.back()) && IsDigit(status.text[tip.size()]);
        EXPECT_FALSE(cutInANumber) << status;
    }
}

} // namespace
