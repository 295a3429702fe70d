// How the converter setting and a title become a Windows command line that
// no character of the title can act on. Plain text rules, so that they are
// tested on every system; platform/win32/process.cpp applies them.
//
// Windows runs a .bat or .cmd file through cmd.exe, which reads "&", "|",
// "<", ">", "(" and ")" as syntax, "^" as an escape and "%NAME%" as a
// variable, quoted or not. Quoting the title would change the batch file's
// %1 (the quotes are part of it), so each of those characters is escaped
// instead, outside quotes: "^" before the syntax characters and "^" itself,
// and "%" written as "%%cd:~,%", which cmd.exe reads as "%" followed by an
// empty substring of the always-defined variable CD, so that no variable
// name can form around it. Then the batch file's %1 %2 ... are the title's
// words exactly. cmd.exe is started by its full path with /d (no AutoRun
// commands from the registry), /e:on (command extensions on, whatever the
// registry says: without them "%cd:~,%" is no substring and the title's
// "%" would act), /v:off (no "!NAME!" expansion) and /s /c (the outer
// quotes are removed and nothing else).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_name.h"

// One way of reading the converter setting as a program and what follows it.
struct ProgramReading {
    std::string program;   // the program's file name, without quotes
    std::string arguments; // the rest of the setting, from the blank after the program
};

// The readings Windows tries, in its order: a quoted first word is the
// program; otherwise the program ends at the first blank, then at the
// second, and so on ("C:\Program Files\conv.exe" is tried as "C:\Program"
// first). None for a setting that is empty or starts with a blank, so that a
// title is never run as the program.
std::vector<ProgramReading> ProgramReadings(std::string_view setting);

// True when Windows runs this program file through cmd.exe: its name ends in
// ".bat" or ".cmd", ASCII case ignored, once the trailing dots and blanks
// that Windows drops from a name are dropped.
bool RunsThroughCmd(std::string_view path, LeadByteTest isLeadByte);
// True when the program file is cmd.exe itself.
bool IsCmd(std::string_view path, LeadByteTest isLeadByte);

// The title with every character that cmd.exe acts on made literal. None for
// a title that cannot be made literal: a control character (a line break
// ends the command) or a double quote.
std::optional<std::string> InertForCmd(std::string_view title, LeadByteTest isLeadByte);

// What follows "cmd.exe" on the command line that runs the batch file with
// the setting's own arguments and the inert title.
std::string CmdArguments(std::string_view batchPath, std::string_view arguments,
                         std::string_view inertTitle);

// The command line for a setting whose program is cmd.exe itself: the
// setting with "/e:on" after the program, then a blank and the inert title.
// `arguments` is what the setting holds after the program (ProgramReading).
std::string CmdSettingLine(std::string_view setting, std::string_view arguments,
                           std::string_view inertTitle);
