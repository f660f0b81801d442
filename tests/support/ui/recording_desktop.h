// A desktop for tests: records every message box, URL and registration
// instead of showing or doing anything, and answers questions from a queue
// filled in advance.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace rivolet {

class RecordingDesktop : public Desktop {
 public:
  struct Message {
    MessageKind kind;
    std::string text;
    std::string caption;
    std::string details = {};
  };

  MessageAnswer ShowMessage(MessageKind kind, const std::string& text,
                            const std::string& caption, QWidget* owner,
                            const std::string& details) override;
  // Recorded in `messages` as a question (its text UTF-8) and in `choices`;
  // answers the next of `choice_answers`, Cancel when it is empty.
  std::optional<std::size_t> AskChoice(const std::string& text,
                                       const std::string& caption,
                                       const std::vector<std::string>& choices,
                                       std::size_t preferred,
                                       QWidget* owner) override;
  bool OpenUrl(const std::string& target) override;
  // Recorded in `opened` too, as the file's path.
  bool OpenLocalFile(const std::filesystem::path& file) override;
  // Both answer the next of `chosen_files`; nothing (given up) when it is
  // empty.
  std::optional<std::filesystem::path> ChooseOpenFile(
      const std::string& caption, const std::string& filter,
      QWidget* owner) override;
  std::optional<std::filesystem::path> ChooseSaveFile(
      const std::string& caption, const std::string& filter,
      const std::filesystem::path& proposed, QWidget* owner) override;
  void RegisterFileType(const std::filesystem::path& executable,
                        const std::string& icon_png) override;
  void SetStartupEntry(bool enabled,
                       const std::filesystem::path& executable) override;
  bool HasStartupEntry() override { return startup_entry; }
  PixelRect ScreenSize() override { return screen; }
  PixelRect WorkArea() override { return work_area; }
  std::vector<PixelScreen> Screens() override { return screens; }

  // The answer the next question box gives; kNo when the queue is empty.
  void SetNextAnswer(MessageAnswer answer) { answers.push_back(answer); }

  // A file dialog's question; `proposed` is empty for an open dialog.
  struct FileQuestion {
    std::string caption;
    std::string filter;
    std::filesystem::path proposed;
  };

  std::vector<Message> messages;
  std::vector<std::vector<std::string>> choice_questions;  // their choices
  std::deque<std::optional<std::size_t>> choice_answers;
  std::vector<FileQuestion> file_questions;
  std::deque<std::filesystem::path> chosen_files;
  std::vector<std::string> opened;
  std::vector<std::filesystem::path> registrations;
  std::deque<MessageAnswer> answers;
  bool startup_entry = false;
  std::filesystem::path startup_executable;
  // When set, SetStartupEntry fails and changes nothing.
  bool startup_fails = false;
  // When set, RegisterFileType fails with this text.
  std::string registration_error;
  PixelRect screen{0, 0, 1024, 768};
  PixelRect work_area{0, 0, 1024, 738};
  std::vector<PixelScreen> screens{{screen, work_area}};
};

}  // namespace rivolet
