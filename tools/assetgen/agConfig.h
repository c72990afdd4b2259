// Text assets: the default settings (copied from the source after checks)
// and the name lists, from one-name-a-line sources.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ag {

// The files that the default settings must name, by key ("Video.Table" and
// so on) to the generated file names of their folder.
using ChoiceFiles = std::map<std::string, std::vector<std::string>>;

// The default settings file: the source as it stands, once it passes the
// checks (choices name generated files, speeds within their sliders'
// ranges, a prompt delay above 0). Throws with the reason otherwise.
std::vector<uint8_t> DefaultSettings(const std::string& sourceText, const ChoiceFiles& choices);

// Lines of a name list source, without "#" comments and blank lines.
std::vector<std::string> ReadNameList(const std::string& sourceText);
// Opponents.txt: the names on one line, separated by commas.
std::vector<uint8_t> OpponentsFile(const std::vector<std::string>& names);
// Lobbies.txt: exactly three lines.
std::vector<uint8_t> LobbiesFile(const std::vector<std::string>& texts);

}  // namespace ag
