#include "app/startup_registration.h"

#include "base/errors.h"

namespace tempiko::app {
namespace {

constexpr char kPathSeparators[] = "\\/:";

// The file name part of a path.
std::string_view FileName(std::string_view path) {
  const std::size_t separator = path.find_last_of(kPathSeparators);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// The file name with its extension replaced by ".lnk" (or ".lnk" added when it has none).
std::string LinkFileName(std::string_view executable_path) {
  const std::string_view name = FileName(executable_path);
  const std::size_t dot = name.rfind('.');
  return std::string(name.substr(0, dot == std::string_view::npos ? name.size() : dot)) + ".lnk";
}

}  // namespace

std::optional<std::string> RegistrationRefusal(const StartupChoice& choice) {
  if (choice.start_option == kNetworkRunOption && choice.dial_entry.empty())
    return kNeedDialEntry;
  if (choice.start_option == kSimpleCorrectionOption && choice.drift_ms_per_day == 0)
    return kNeedDriftRate;
  if (choice.start_option == kSimpleCorrectionOption && !choice.has_last_time)
    return kNeedZeroCorrection;
  return std::nullopt;
}

std::string ShortcutArguments(int start_option) {
  return start_option == kNetworkRunOption ? " -d" : " -s";
}

std::string ExecutableFolder(std::string_view executable_path) {
  const std::size_t separator = executable_path.find_last_of(kPathSeparators);
  if (separator == std::string_view::npos)
    return "";
  return std::string(executable_path.substr(0, separator)) + "\\";
}

std::optional<std::string> StartupLinkPath(const std::optional<std::string>& startup_folder,
                                           std::string_view executable_path) {
  if (!startup_folder || startup_folder->empty())
    return std::nullopt;
  std::string path = *startup_folder;
  // A drive's root comes with its backslash already.
  if (path.back() != '\\')
    path += '\\';
  path += LinkFileName(executable_path);
  if (Utf16Length(path) >= kMaxPathUnits)
    return std::nullopt;
  return path;
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (const char byte : utf8) {
    const auto value = static_cast<unsigned char>(byte);
    if ((value & 0xC0) != 0x80)
      ++units;  // a character starts here
    if (value >= 0xF0)
      ++units;  // beyond the first plane: a surrogate pair
  }
  return units;
}

void StartupRegistration::Register(const StartupChoice& choice) {
  if (const std::optional<std::string> refusal = RegistrationRefusal(choice)) {
    shell_.ShowNotice(*refusal);
    return;
  }
  const std::string executable = shell_.ExecutablePath();
  const bool saved = shell_.SaveShortcut({.link_path = LinkPath(executable),
                                          .target_path = executable,
                                          .arguments = ShortcutArguments(choice.start_option),
                                          .working_directory = ExecutableFolder(executable)});
  status_bar_.SetText(saved ? kShortcutCreated : kShortcutNotCreated);
}

void StartupRegistration::Unregister() {
  const bool deleted = shell_.DeleteLink(LinkPath(shell_.ExecutablePath()));
  status_bar_.SetText(deleted ? kShortcutDeleted : "");
}

std::string StartupRegistration::LinkPath(const std::string& executable_path) {
  const std::optional<std::string> path = StartupLinkPath(shell_.StartupFolder(), executable_path);
  if (!path)
    throw Exception(kStartupFolderNotFound);
  return *path;
}

}  // namespace tempiko::app
