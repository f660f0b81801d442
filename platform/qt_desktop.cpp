// The real desktop on Linux: Qt message boxes, the default URL handler, and
// the XDG files that stand for the file-type and start-up registrations.
#include "platform/qt_desktop.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTranslator>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "common/desktop_entry.h"
#include "common/error.h"
#include "common/file_io.h"
#include "common/links.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"

namespace rivolet {
namespace {

// Writes a whole file or leaves the old one, making its folder first.
// A file that already holds the text is left alone, so that the
// registration written at every start costs no disk write once in place;
// `changed` tells whether it was written.
bool WriteWhole(const std::filesystem::path& path, const std::string& text,
                bool* changed = nullptr) {
  RemoveTemporaryLeftoversOf(path);
  try {
    if (ReadWholeFile(path, text.size()) == text) return true;
  } catch (const Error&) {
    // Missing, different in size or unreadable: write it.
  }
  if (changed != nullptr) *changed = true;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) return false;
  try {
    WriteFileAtomically(path, text);
  } catch (const Error&) {
    return false;
  }
  return true;
}

// Runs `tool` on `folder` when a file in it changed or its index `index`
// was never built. A desktop without the tool has no index to build.
void UpdateIndex(const char* tool, const std::filesystem::path& folder,
                 const char* index, bool changed) {
  std::error_code ec;
  if (!changed && std::filesystem::exists(folder / index, ec)) return;
  QProcess update;
  update.start(tool, {QFile::decodeName(folder.c_str())});
  if (update.waitForStarted(2000)) update.waitForFinished(20000);
}

PixelRect ToScreenRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.width(), rect.height()};
}

}  // namespace

bool InstallQtTranslations(const QLocale& locale) {
  static QTranslator* installed = nullptr;
  if (installed != nullptr) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  // qtbase_<language>.qm, for the first of the locale's languages Qt has.
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(locale, "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  QCoreApplication::installTranslator(translator.get());
  installed = translator.release();
  return true;
}

QtDesktop::QtDesktop(std::filesystem::path data_home,
                     std::filesystem::path config_home)
    : data_home_(std::move(data_home)), config_home_(std::move(config_home)) {}

namespace {

// Whether the user's XDG folder named by `variable` exists at all: Qt falls
// back to the root folder when neither it nor a home folder is set.
bool HasUserFolder(const char* variable) {
  for (const char* name : {variable, "HOME"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] == '/') return true;
  }
  return false;
}

}  // namespace

std::filesystem::path QtDesktop::DataHome() const {
  if (!data_home_.empty()) return data_home_;
  if (!HasUserFolder("XDG_DATA_HOME")) return {};
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
      .toStdString();
}

std::filesystem::path QtDesktop::ConfigHome() const {
  if (!config_home_.empty()) return config_home_;
  if (!HasUserFolder("XDG_CONFIG_HOME")) return {};
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
      .toStdString();
}

void PrepareMessageBox(QMessageBox& box, MessageKind kind,
                       const std::string& text, const std::string& caption,
                       const std::string& details) {
  box.setWindowTitle(PlainWindowTitle(ToQt(caption)));
  // Server lines, addresses and file contents come here: never as markup,
  // which would draw (and load) whatever pictures they name.
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQt(text));
  if (!details.empty()) box.setDetailedText(ToQt(details));
  // The text can be selected and copied (a path, an address), as Ctrl+C
  // copies a box on other systems.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse |
                              Qt::TextSelectableByKeyboard);
  switch (kind) {
    case MessageKind::kError:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageKind::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageKind::kWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageKind::kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageKind::kPlain:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  box.setStandardButtons(kind == MessageKind::kQuestion
                             ? QMessageBox::Yes | QMessageBox::No
                             : QMessageBox::Ok);
}

MessageAnswer QtDesktop::ShowMessage(MessageKind kind, const std::string& text,
                                     const std::string& caption, QWidget* owner,
                                     const std::string& details) {
  // A box shown while the program is being ended would keep it alive.
  if (ShutdownRequested()) {
    return kind == MessageKind::kQuestion ? MessageAnswer::kNo
                                          : MessageAnswer::kOk;
  }
  QMessageBox box(owner);
  PrepareMessageBox(box, kind, text, caption, details);
  const int answer = box.exec();
  if (kind != MessageKind::kQuestion) return MessageAnswer::kOk;
  return answer == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

std::optional<std::size_t> QtDesktop::AskChoice(
    const std::string& text, const std::string& caption,
    const std::vector<std::string>& choices, std::size_t preferred,
    QWidget* owner) {
  if (ShutdownRequested()) return std::nullopt;
  QMessageBox box(owner);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  box.setTextInteractionFlags(Qt::TextSelectableByMouse |
                              Qt::TextSelectableByKeyboard);
  box.setIcon(QMessageBox::Question);
  std::vector<QAbstractButton*> buttons;
  for (const std::string& choice : choices) {
    buttons.push_back(
        box.addButton(QString::fromStdString(choice), QMessageBox::AcceptRole));
  }
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setEscapeButton(cancel);
  box.setDefaultButton(preferred < buttons.size()
                           ? static_cast<QPushButton*>(buttons[preferred])
                           : cancel);
  box.exec();
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return i;
  }
  return std::nullopt;
}

bool QtDesktop::OpenUrl(const std::string& target) {
  if (!IsWebLink(target)) return false;
  const QUrl url(ToQt(target), QUrl::StrictMode);
  if (!url.isValid()) return false;
  return QDesktopServices::openUrl(url);
}

bool QtDesktop::OpenLocalFile(const std::filesystem::path& file) {
  return QDesktopServices::openUrl(
      QUrl::fromLocalFile(QFile::decodeName(file.c_str())));
}

namespace {

std::optional<std::filesystem::path> ChosenFile(const QString& chosen) {
  if (chosen.isEmpty()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(chosen).toStdString());
}

}  // namespace

std::optional<std::filesystem::path> QtDesktop::ChooseOpenFile(
    const std::string& caption, const std::string& filter, QWidget* owner) {
  if (ShutdownRequested()) return std::nullopt;
  return ChosenFile(
      QFileDialog::getOpenFileName(owner, ToQt(caption), {}, ToQt(filter)));
}

std::optional<std::filesystem::path> QtDesktop::ChooseSaveFile(
    const std::string& caption, const std::string& filter,
    const std::filesystem::path& proposed, QWidget* owner) {
  if (ShutdownRequested()) return std::nullopt;
  return ChosenFile(QFileDialog::getSaveFileName(
      owner, ToQt(caption), QFile::decodeName(proposed.c_str()), ToQt(filter)));
}

void QtDesktop::RegisterFileType(const std::filesystem::path& executable,
                                 const std::string& icon_png) {
  const std::string mime =
      std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
      "<mime-info "
      "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"" +
      kFeedListMimeType +
      "\">\n"
      "    <comment>Rivolet File</comment>\n"
      "    <glob pattern=\"*.che\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  const std::string entry = std::string("[Desktop Entry]\n") +
                            "Type=Application\n"
                            "Name=Open in Rivolet\n"
                            "Comment=Rivolet File\n"
                            "Exec=" +
                            DesktopExecValue(executable, "%f") +
                            "\n"
                            "Icon=rivolet\n"
                            "MimeType=" +
                            kFeedListMimeType +
                            ";\n"
                            "NoDisplay=true\n"
                            "Terminal=false\n";
  const std::filesystem::path data = DataHome();
  // Without a home there is no desktop of the user's to tell.
  if (data.empty()) return;
  const std::filesystem::path mime_folder = data / "mime";
  const std::filesystem::path entry_folder = data / "applications";
  bool mime_changed = false;
  bool entry_changed = false;
  if (!WriteWhole(mime_folder / "packages" / "rivolet.xml", mime,
                  &mime_changed) ||
      !WriteWhole(data / "icons" / "hicolor" / "48x48" / "apps" / "rivolet.png",
                  icon_png) ||
      !WriteWhole(entry_folder / "rivolet-portable.desktop", entry,
                  &entry_changed)) {
    // The registration has no named values; the message names the default one.
    throw Error("Failed to set data for ''");
  }
  // The desktop reads file types and the programs that open them from the
  // folders' indexes, not from the files themselves.
  UpdateIndex("update-mime-database", mime_folder, "mime.cache", mime_changed);
  UpdateIndex("update-desktop-database", entry_folder, "mimeinfo.cache",
              entry_changed);
}

std::filesystem::path QtDesktop::StartupEntryFile() const {
  const std::filesystem::path config = ConfigHome();
  // A relative folder would put the entry wherever the program was started.
  if (!config.is_absolute()) return {};
  return config / "autostart" / "rivolet.desktop";
}

void QtDesktop::SetStartupEntry(bool enabled,
                                const std::filesystem::path& executable) {
  const std::filesystem::path file = StartupEntryFile();
  if (!enabled) {
    std::error_code ec;
    if (!file.empty()) std::filesystem::remove(file, ec);
    return;
  }
  const std::string entry = std::string("[Desktop Entry]\n") +
                            "Type=Application\n"
                            "Name=Rivolet\n"
                            "Exec=" +
                            DesktopExecValue(executable) +
                            "\n"
                            "Terminal=false\n";
  if (file.empty() || !WriteWhole(file, entry))
    throw Error("Failed to set data for 'Rivolet'");
}

bool QtDesktop::HasStartupEntry() {
  const std::filesystem::path file = StartupEntryFile();
  std::error_code ec;
  return !file.empty() && std::filesystem::exists(file, ec);
}

PixelRect QtDesktop::ScreenSize() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToScreenRect(screen->geometry()) : PixelRect{0, 0, 1024, 768};
}

PixelRect QtDesktop::WorkArea() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToScreenRect(screen->availableGeometry())
                : PixelRect{0, 0, 1024, 768};
}

std::vector<PixelScreen> QtDesktop::Screens() {
  std::vector<PixelScreen> screens;
  for (QScreen* screen : QGuiApplication::screens()) {
    screens.push_back({ToScreenRect(screen->geometry()),
                       ToScreenRect(screen->availableGeometry())});
  }
  return screens;
}

}  // namespace rivolet
