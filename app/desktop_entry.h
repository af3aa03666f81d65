// The start-up switches RegServer and UnregServer: they install or remove the program's
// XDG desktop entry in the user's applications folder.
#pragma once

#include <optional>
#include <string>

namespace vomar::app {

enum class RegisterSwitch { kRegister, kUnregister };

// The first argument that is "RegServer" or "UnregServer" after "-" or "/", in any
// letter case.
std::optional<RegisterSwitch> FindRegisterSwitch(int argc, const char* const* argv);

// $XDG_DATA_HOME/applications, or ~/.local/share/applications when XDG_DATA_HOME is unset
// or not absolute; empty when neither can be had.
std::string ApplicationsFolder();

// The entry's text: starts `executable` in `workingDirectory`, where the program looks
// for its configuration file.
std::string DesktopEntryText(const std::string& executable, const std::string& workingDirectory);

// Installs or removes "vomar-profile-downloader.desktop" in ApplicationsFolder().
// Returns 0 on success; on failure writes one line to the error stream and returns 1.
int RunRegisterSwitch(RegisterSwitch which, const std::string& executable);

}  // namespace vomar::app
