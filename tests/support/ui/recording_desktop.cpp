// The recording desktop of the window tests.
#include "tests/support/ui/recording_desktop.h"

#include "common/error.h"

namespace rivolet {

MessageAnswer RecordingDesktop::ShowMessage(MessageKind kind,
                                            const std::string& text,
                                            const std::string& caption,
                                            QWidget* /*owner*/,
                                            const std::string& details) {
  messages.push_back({kind, text, caption, details});
  if (kind != MessageKind::kQuestion) return MessageAnswer::kOk;
  if (answers.empty()) return MessageAnswer::kNo;
  MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::optional<std::size_t> RecordingDesktop::AskChoice(
    const std::string& text, const std::string& caption,
    const std::vector<std::string>& choices, std::size_t /*preferred*/,
    QWidget* /*owner*/) {
  messages.push_back({MessageKind::kQuestion, text, caption});
  choice_questions.push_back(choices);
  if (choice_answers.empty()) return std::nullopt;
  const std::optional<std::size_t> answer = choice_answers.front();
  choice_answers.pop_front();
  return answer;
}

bool RecordingDesktop::OpenUrl(const std::string& target) {
  opened.push_back(target);
  return true;
}

bool RecordingDesktop::OpenLocalFile(const std::filesystem::path& file) {
  opened.push_back(file.string());
  return true;
}

std::optional<std::filesystem::path> RecordingDesktop::ChooseOpenFile(
    const std::string& caption, const std::string& filter, QWidget* owner) {
  return ChooseSaveFile(caption, filter, {}, owner);
}

std::optional<std::filesystem::path> RecordingDesktop::ChooseSaveFile(
    const std::string& caption, const std::string& filter,
    const std::filesystem::path& proposed, QWidget* /*owner*/) {
  file_questions.push_back({caption, filter, proposed});
  if (chosen_files.empty()) return std::nullopt;
  std::filesystem::path chosen = chosen_files.front();
  chosen_files.pop_front();
  return chosen;
}

void RecordingDesktop::RegisterFileType(const std::filesystem::path& executable,
                                        const std::string& /*icon_png*/) {
  if (!registration_error.empty()) throw Error(registration_error);
  registrations.push_back(executable);
}

void RecordingDesktop::SetStartupEntry(
    bool enabled, const std::filesystem::path& executable) {
  if (startup_fails) throw Error("Failed to set data for 'Rivolet'");
  startup_entry = enabled;
  startup_executable = executable;
}

}  // namespace rivolet
