// The real desktop: Qt message boxes and URL opening, XDG file-type and
// autostart entries, the primary screen's metrics.
#pragma once

#include <filesystem>

#include "platform/desktop.h"

class QLocale;
class QMessageBox;

namespace rivolet {

// Loads Qt's own translations for `locale`'s languages, replacing those
// loaded before, so that the standard buttons of message boxes and file
// dialogs ("Yes", "No", "Cancel", "Open") speak the desktop's language. The
// program's own texts come from its language files. False when Qt has no
// translation for that language (its English texts stay).
bool InstallQtTranslations(const QLocale& locale);

// Makes `box` the message box ShowMessage shows (for tests, which do not
// run it).
void PrepareMessageBox(QMessageBox& box, MessageKind kind,
                       const std::string& text, const std::string& caption,
                       const std::string& details);

class QtDesktop : public Desktop {
 public:
  // `data_home` is the XDG data folder (mime/ and applications/ go there) and
  // `config_home` the XDG config folder (autostart/); empty means the user's.
  explicit QtDesktop(std::filesystem::path data_home = {},
                     std::filesystem::path config_home = {});

  MessageAnswer ShowMessage(MessageKind kind, const std::string& text,
                            const std::string& caption, QWidget* owner,
                            const std::string& details) override;
  std::optional<std::size_t> AskChoice(const std::string& text,
                                       const std::string& caption,
                                       const std::vector<std::string>& choices,
                                       std::size_t preferred,
                                       QWidget* owner) override;
  bool OpenUrl(const std::string& target) override;
  bool OpenLocalFile(const std::filesystem::path& file) override;
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
  bool HasStartupEntry() override;
  PixelRect ScreenSize() override;
  PixelRect WorkArea() override;
  std::vector<PixelScreen> Screens() override;

 private:
  std::filesystem::path DataHome() const;
  std::filesystem::path ConfigHome() const;
  // Empty when the config folder is not an absolute path.
  std::filesystem::path StartupEntryFile() const;

  std::filesystem::path data_home_;
  std::filesystem::path config_home_;
};

}  // namespace rivolet
