#include "app/desktop_entry.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/application_name.h"

namespace vomar::app {

namespace {

namespace fs = std::filesystem;

// A value of the Exec key: quoted when it holds a reserved character, with '"', '`',
// '$' and '\' escaped inside the quotes; '%' doubled (field codes).
std::string ExecArgument(const std::string& argument) {
  bool reserved = argument.empty();
  std::string quoted;
  for (char c : argument) {
    if (std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos) {
      reserved = true;
    }
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  if (!reserved) {
    std::string plain;
    for (char c : argument) plain += c == '%' ? std::string("%%") : std::string(1, c);
    return plain;
  }
  return "\"" + quoted + "\"";
}

// A string value of a desktop entry: line breaks and backslashes escaped.
std::string StringValue(const std::string& value) {
  std::string escaped;
  for (char c : value) {
    if (c == '\\') escaped += "\\\\";
    else if (c == '\n') escaped += "\\n";
    else escaped += c;
  }
  return escaped;
}

std::string EntryPath() { return ApplicationsFolder() + "/" + kApplicationName + ".desktop"; }

}  // namespace

std::optional<RegisterSwitch> FindRegisterSwitch(int argc, const char* const* argv) {
  for (int k = 1; k < argc; ++k) {
    const char* argument = argv[k];
    if (argument[0] != '-' && argument[0] != '/') continue;
    if (strcasecmp(argument + 1, "RegServer") == 0) return RegisterSwitch::kRegister;
    if (strcasecmp(argument + 1, "UnregServer") == 0) return RegisterSwitch::kUnregister;
  }
  return std::nullopt;
}

std::string ApplicationsFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return std::string(dataHome) + "/applications";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return std::string();
  return std::string(home) + "/.local/share/applications";
}

std::string DesktopEntryText(const std::string& executable, const std::string& workingDirectory) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.0\n"
         "Name=Vomar Profile Downloader\n"
         "Name[ja]=ｶﾗｰﾌﾟﾛﾌｧｲﾙﾀﾞｳﾝﾛｰﾄﾞﾂｰﾙ\n"
         "Comment=Download ICC colour profiles to the disk of a PostScript printer\n"
         "Exec=" + ExecArgument(executable) + "\n"
         "Path=" + StringValue(workingDirectory) + "\n"
         "Icon=vomar-profile-downloader\n"
         "Terminal=false\n"
         "Categories=Graphics;Printing;\n";
}

int RunRegisterSwitch(RegisterSwitch which, const std::string& executable) {
  const std::string folder = ApplicationsFolder();
  if (folder.empty()) {
    std::fprintf(stderr, "%s: neither XDG_DATA_HOME nor HOME is set\n", kApplicationName);
    return 1;
  }
  const std::string path = EntryPath();
  std::error_code error;
  bool removed = false;
  if (which == RegisterSwitch::kUnregister) {
    removed = fs::remove(path, error);
  } else {
    fs::create_directories(folder, error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << DesktopEntryText(fs::absolute(executable, error).string(),
                             fs::current_path(error).string());
    file.close();
    if (!file) error = std::make_error_code(std::errc::io_error);
  }
  if (error) {
    std::fprintf(stderr, "%s: %s: %s\n", kApplicationName, path.c_str(),
                 error.message().c_str());
    return 1;
  }
  // Say what changed: the switch otherwise ends without a trace.
  if (which == RegisterSwitch::kRegister) {
    std::printf("%s: wrote %s\n", kApplicationName, path.c_str());
  } else if (removed) {
    std::printf("%s: removed %s\n", kApplicationName, path.c_str());
  } else {
    std::printf("%s: no %s to remove\n", kApplicationName, path.c_str());
  }
  return 0;
}

}  // namespace vomar::app
