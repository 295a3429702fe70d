#include "core/texts.h"

namespace texts {

Status Starting() {
    return {StatusKind::Starting, "起動中"};
}

Status Converting(const std::string& title, int entryCount) {
    return {StatusKind::Converting, title + "を変換中\r\n変換動画数 " + std::to_string(entryCount)};
}

// The failure before the program, whose path may be longer than the tip.
Status StartFailed(const std::string& program) {
    return {StatusKind::StartFailed, "実行するプログラムを起動できません\r\n「" + program + "」"};
}

Status FolderInUse(long ownerPid) {
    const std::string status = "他のKovalinが監視フォルダを使用中";
    return {StatusKind::FolderInUse,
            ownerPid > 0 ? status + "\r\nPID " + std::to_string(ownerPid) : status};
}

Status Idle(std::size_t writingCount, std::size_t failedCount, bool limitOutOfReach,
            std::size_t claimedCount) {
    std::string counts;
    const auto count = [&counts](std::size_t number, const char* what) {
        if (number > 0)
            counts += (counts.empty() ? "\r\n" : "、") + std::string(what) + " " +
                      std::to_string(number) + "件";
    };
    count(writingCount, "書き込み終了待ち");
    count(claimedCount, "使用終了待ち");
    count(failedCount, "変換できなかったファイル");
    std::string status = "待機中";
    // Before the counts: where the Windows tray tip cuts the status, it cuts
    // the counts, not this line.
    if (limitOutOfReach)
        status += "\r\n削除しても上限を超えます";
    return {StatusKind::Idle, status + counts};
}

const char* const kNoticeCaption = "Kovalin";

std::string FailedNotice(const std::string& title) {
    return "「" + title + "」を変換できませんでした。ほかのファイルを先に変換します。";
}

const char* const kMenuSettings = "設定";
const char* const kMenuExit = "終了";

const char* const kLimitRefusal = "正の整数を入力してください。";
const char* const kLineBreakInChosenFolder =
    "選択したフォルダは名前に改行を含むため、監視フォルダに指定できません。\n"
    "改行を含まない名前に変えてから選び直してください。";
const char* const kLineBreakInChosenProgram =
    "選択したファイルは名前に改行を含むため、実行するプログラムに指定できません。\n"
    "改行を含まない名前に変えてから選び直してください。";

std::string LineBreakInBox(const std::string& label) {
    return label + "に改行を含めることはできません。\n"
                   "改行を取り除いてから、もう一度「設定」を押してください。";
}

std::string SaveFailure(const std::string& path, const std::string& reason) {
    return "設定ファイルを保存できませんでした。\n\nファイル: " + path + "\n理由: " + reason +
           "\n\n変更した設定は保存されないまま終了します。";
}

const char* const kReasonReadOnly = "ファイルが読み取り専用になっています。";
const char* const kReasonAccessDenied = "ファイルまたはフォルダに書き込む権限がありません。";
const char* const kReasonDiskFull = "ディスクの空き容量が足りません。";
const char* const kReasonIsFolder = "同じ名前のフォルダがあります。";
const char* const kReasonNoFolder = "保存先のフォルダが見つかりません。";
const char* const kReasonNotRead = "起動時にファイルを読み取れなかったため、上書きしません。";

std::string ReasonSystemError(int error) {
    return "書き込みに失敗しました（エラー " + std::to_string(error) + "）。";
}

const char* const kFolderBrowserTitle = "監視フォルダの指定";
const char* const kProgramFilter = "実行 File (*.exe;*.bat)";
const char* const kEveryFileFilter = "すべてのファイル (*)";

} // namespace texts
