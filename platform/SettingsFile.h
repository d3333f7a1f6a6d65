#pragma once
// A small settings file of the user's ("[section]" headers, "key=value"
// lines), read and written by the rules of every file the program writes: a
// pipe, device or folder in its place is never opened (opening a pipe would
// wait for a writer forever), and it is written under a temporary name and
// renamed, never over a file the run reads. Paths are byte strings as the
// operating system takes them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/OutputFile.h"

namespace quillet {

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config; empty when neither is known. Bytes as the
// environment holds them, whatever their encoding.
std::string UserConfigFolder();

// The values of the file at path as "section/key" -> value; nothing when
// there is no file or it is not a regular one (or a link to one).
std::optional<std::map<std::string, std::string>> ReadSettingsFile(const std::string& path);

// Writes values ("section/key" -> value) as the whole file, making its
// folder and the one above it when missing. A refused target gives its
// refusal, a failed write its errno; nothing is changed then.
struct SettingsWrite {
    OutputRefusal refusal = OutputRefusal::None;
    int error = 0;
    bool Written() const { return refusal == OutputRefusal::None && error == 0; }
};
SettingsWrite WriteSettingsFile(const std::string& path, const std::map<std::string, std::string>& values,
    const std::vector<std::string>& inUse = {});

} // namespace quillet
