// The desktop entry: "$HOME/.local/share/applications/morvatan-online.desktop", written once
// at the first start that succeeds (the setting `kisayol` remembers it), so the launcher
// appears in the user's application menu.
//
// The entry is written to a temporary file and renamed into place, so a menu never reads half
// of it. Paths are escaped by the desktop-entry rules, so any path starts the right program.
// Main thread, at start-up.
#pragma once
#include <string>

// Writes the entry unless `kisayol` is "1"; stores kisayol=1 only when the write succeeded.
// Without HOME or an executable path nothing is written (and the next start tries again).
void kisayol_yaz();

// The eight lines of the entry for an executable at `exe` (an absolute path).
std::string kisayol_metni(const std::string& exe);

// The Exec value: the path in double quotes, with `"`, `` ` ``, `$` and `\` escaped by a
// backslash and `%` doubled, then every backslash doubled for the file's string escaping.
std::string exec_degeri(const std::string& exe);

// A plain string value of the file: backslash, line feed, tab and carriage return escaped.
std::string dize_degeri(const std::string& metin);
