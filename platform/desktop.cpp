// The desktop in use, and the recording desktop of the tests.
#include "platform/desktop.h"

#include "common/error.h"
#include "platform/qt_desktop.h"
#include "platform/recording_desktop.h"

namespace rivolet {
namespace {

Desktop* installed = nullptr;

}  // namespace

Desktop& CurrentDesktop() {
  if (installed != nullptr) return *installed;
  static QtDesktop real;
  return real;
}

ScopedDesktop::ScopedDesktop(Desktop* desktop) : previous_(installed) {
  installed = desktop;
}

ScopedDesktop::~ScopedDesktop() { installed = previous_; }

MessageAnswer RecordingDesktop::ShowMessage(MessageKind kind,
                                            const std::string& text,
                                            const std::string& caption,
                                            QWidget* /*owner*/) {
  messages.push_back({kind, text, caption});
  if (kind != MessageKind::kQuestion) return MessageAnswer::kOk;
  if (answers.empty()) return MessageAnswer::kNo;
  MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

bool RecordingDesktop::OpenUrl(const std::string& target) {
  opened.push_back(target);
  return true;
}

void RecordingDesktop::RegisterFileType(
    const std::filesystem::path& executable) {
  if (!registration_error.empty()) throw Error(registration_error);
  registrations.push_back(executable);
}

void RecordingDesktop::SetStartupEntry(
    bool enabled, const std::filesystem::path& /*executable*/) {
  startup_entry = enabled;
}

}  // namespace rivolet
