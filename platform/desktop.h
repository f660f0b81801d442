// Everything the program asks of the desktop, behind one interface: message
// boxes, opening URLs and files, file-type and start-up registration, screen
// metrics. Windows call it through CurrentDesktop(); tests install a
// recording implementation so no test ever blocks on a modal box.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/screen_geometry.h"

class QWidget;

namespace rivolet {

enum class MessageKind { kError, kInformation, kWarning, kQuestion, kPlain };
enum class MessageAnswer { kOk, kYes, kNo };

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Shows a modal message box; texts are Windows-1250 and shown as plain
  // text, whatever they hold. A question box has Yes and No buttons, every
  // other box an OK button; `details` (when not empty) are behind the box's
  // details button.
  virtual MessageAnswer ShowMessage(MessageKind kind, const std::string& text,
                                    const std::string& caption, QWidget* owner,
                                    const std::string& details = {}) = 0;

  // Asks a question that may hold letters Windows-1250 lacks: `text`,
  // `caption` and `choices` are UTF-8, shown as plain text. One button per
  // choice ("&" marks its key) and a Cancel button, which Escape and the
  // close box press too; Enter presses choice `preferred` (Cancel when it is
  // choices.size()). The choice pressed, or nothing for Cancel.
  virtual std::optional<std::size_t> AskChoice(
      const std::string& text, const std::string& caption,
      const std::vector<std::string>& choices, std::size_t preferred,
      QWidget* owner) = 0;

  // Hands a web address (http or https) to the desktop's browser. It is
  // never looked up on disk, whatever folders exist; anything else is
  // refused. Returns false when nothing could be opened; callers ignore it.
  virtual bool OpenUrl(const std::string& target) = 0;

  // Hands one of the program's own files (a help page) to the desktop's
  // default handler. Returns false when nothing could be opened.
  virtual bool OpenLocalFile(const std::filesystem::path& file) = 0;

  // Asks in a modal file dialog for an existing file to open, listing the
  // files `filter` names ("OPML files (*.opml *.xml)"). Nothing when the
  // user gives up.
  virtual std::optional<std::filesystem::path> ChooseOpenFile(
      const std::string& caption, const std::string& filter,
      QWidget* owner) = 0;
  // Asks for a file to write, proposing `proposed`; replacing an existing
  // file needs the user's confirmation. Nothing when the user gives up.
  virtual std::optional<std::filesystem::path> ChooseSaveFile(
      const std::string& caption, const std::string& filter,
      const std::filesystem::path& proposed, QWidget* owner) = 0;

  // Declares the ".che" file type and the "Open in Rivolet" action for the
  // given executable, with `icon_png` (a PNG file's bytes) as its icon.
  // Touches no window, so it may run on any thread. Fails with an Error
  // whose text the user sees.
  virtual void RegisterFileType(const std::filesystem::path& executable,
                                const std::string& icon_png) = 0;

  // Adds or removes the entry that starts the program with the session.
  virtual void SetStartupEntry(bool enabled,
                               const std::filesystem::path& executable) = 0;
  virtual bool HasStartupEntry() = 0;

  // The primary screen: its whole size and the part not taken by panels.
  virtual PixelRect ScreenSize() = 0;
  virtual PixelRect WorkArea() = 0;
  // Every screen, the primary one first.
  virtual std::vector<PixelScreen> Screens() = 0;
};

// The desktop in use. Until one is installed it is the real Qt desktop.
Desktop& CurrentDesktop();

// Installs `desktop` for the lifetime of the object and puts the previous one
// back afterwards (tests).
class ScopedDesktop {
 public:
  explicit ScopedDesktop(Desktop* desktop);
  ~ScopedDesktop();
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;

 private:
  Desktop* previous_;
};

}  // namespace rivolet
