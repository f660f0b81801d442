// The platform layer: the error box's full-stop rule, the text bridge and
// the files that stand for the registrations.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QLocale>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTextDocument>
#include <QUrl>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <utility>
#include <vector>

#include "common/error.h"
#include "platform/guard.h"
#include "platform/qt_desktop.h"
#include "platform/text_bridge.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/recording_desktop.h"

namespace rivolet {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

TEST(ErrorBox, AddsAFullStopOnlyAfterCharactersAboveIt) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"HTTP/1.1 404 Not Found", "HTTP/1.1 404 Not Found."},
      {"Done.", "Done."},
      {"Why?", "Why?."},  // '?' comes after '.'
      {"Failed to set data for ''", "Failed to set data for ''"},
      {"Stop!", "Stop!"},
      {"Error 5", "Error 5."},
      {"Za\xBF\xF3\xB3\xE6", "Za\xBF\xF3\xB3\xE6."},
      {"", ""},
  };
  for (const auto& [message, shown] : cases)
    EXPECT_EQ(ErrorBoxText(message), shown) << message;
}

TEST(ErrorBox, GuardShowsTheEscapedErrorAndGoesOn) {
  RecordingDesktop desktop;
  ScopedDesktop scoped(&desktop);
  EXPECT_FALSE(
      Guarded([] { throw Error("Connection refused by example.com"); }));
  EXPECT_TRUE(Guarded([] {}));
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].kind, MessageKind::kError);
  EXPECT_EQ(desktop.messages[0].text, "Connection refused by example.com.");
  EXPECT_EQ(desktop.messages[0].caption, "Rivolet");
}

TEST(TextBridge, TextFromOutsideIsShownAsWrittenNeverAsMarkup) {
  // A server's status line naming a picture (or an endless device).
  const QString hostile = "HTTP/1.1 500 <img src=\"/dev/zero\"> [*] Oops";
  QMessageBox box;
  PrepareMessageBox(box, MessageKind::kError, FromQt(hostile), "Rivolet", "d");
  EXPECT_EQ(box.textFormat(), Qt::PlainText);
  EXPECT_EQ(box.text(), hostile);
  EXPECT_EQ(box.detailedText(), "d");
  // The tooltip holds nothing but its characters: no picture to load.
  QTextDocument tip;
  tip.setHtml(PlainToolTip(hostile));
  EXPECT_EQ(tip.toPlainText(), hostile);
  EXPECT_TRUE(Qt::mightBeRichText(PlainToolTip(hostile)));
  QWidget window;
  window.setWindowTitle(PlainWindowTitle(hostile));
  window.show();
  EXPECT_EQ(window.windowHandle()->title(), hostile);
}

TEST(TextBridge, Windows1250RoundTripsThroughQt) {
  const std::string polish =
      "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 \x8C\x8F\xA5";
  EXPECT_EQ(ToQt(polish), QString::fromUtf8("Zażółć gęślą jaźń ŚŹĄ"));
  EXPECT_EQ(FromQt(ToQt(polish)), polish);
  EXPECT_EQ(FromQt(QString::fromUtf8("Привет €")), "?????? \x80");
}

TEST(QtDesktopRegistration, WritesTheFileTypeAndTheOpenAction) {
  TempDir dir;
  QtDesktop desktop(dir / "data", dir / "config");
  desktop.RegisterFileType("/opt/My \"Apps\"/rivolet", "PNG");
  const std::string mime =
      ReadFileBytes(dir / "data/mime/packages/rivolet.xml");
  EXPECT_NE(mime.find("<glob pattern=\"*.che\"/>"), std::string::npos);
  EXPECT_NE(mime.find("<comment>Rivolet File</comment>"), std::string::npos);
  const std::string entry =
      ReadFileBytes(dir / "data/applications/rivolet-portable.desktop");
  EXPECT_NE(entry.find("Name=Open in Rivolet\n"), std::string::npos);
  // The icon it names is there.
  EXPECT_NE(entry.find("Icon=rivolet\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_regular_file(
      dir / "data/icons/hicolor/48x48/apps/rivolet.png"));
  EXPECT_NE(entry.find("Exec=\"/opt/My \\\\\"Apps\\\\\"/rivolet\" %f\n"),
            std::string::npos)
      << entry;
  EXPECT_NE(entry.find("MimeType=application/x-rivolet-file;\n"),
            std::string::npos);
  // Rewritten at every start.
  desktop.RegisterFileType("/usr/bin/rivolet", "PNG");
  EXPECT_NE(ReadFileBytes(dir / "data/applications/rivolet-portable.desktop")
                .find("Exec=\"/usr/bin/rivolet\" %f"),
            std::string::npos);
}

TEST(QtDesktopRegistration, AFailedWriteIsAnErrorWithTheRegistrationMessage) {
  TempDir dir;
  testing::WriteFileBytes(dir / "data", "a file where a folder must be");
  QtDesktop desktop(dir / "data", dir / "config");
  try {
    desktop.RegisterFileType("/usr/bin/rivolet", "PNG");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for ''");
  }
}

TEST(QtDesktopRegistration, StartupEntryFollowsTheSwitch) {
  TempDir dir;
  QtDesktop desktop(dir / "data", dir / "config");
  EXPECT_FALSE(desktop.HasStartupEntry());
  desktop.SetStartupEntry(true, "/usr/bin/rivolet");
  EXPECT_TRUE(desktop.HasStartupEntry());
  EXPECT_NE(ReadFileBytes(dir / "config/autostart/rivolet.desktop")
                .find("Exec=\"/usr/bin/rivolet\"\n"),
            std::string::npos);
  desktop.SetStartupEntry(false, "/usr/bin/rivolet");
  EXPECT_FALSE(desktop.HasStartupEntry());
}

TEST(QtDesktopRegistration, StartupEntryNeedsAnAbsoluteConfigFolder) {
  TempDir dir;
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  QtDesktop desktop(dir / "data", "relative-config");
  EXPECT_THROW(desktop.SetStartupEntry(true, "/usr/bin/rivolet"), Error);
  EXPECT_FALSE(desktop.HasStartupEntry());
  std::filesystem::current_path(here);
  EXPECT_FALSE(std::filesystem::exists(dir / "relative-config"));
}

TEST(QtDesktopRegistration, WithoutAHomeNothingIsRegisteredAnywhere) {
  // Qt would fall back to the root folder: /.local/share.
  const bool root_had = std::filesystem::exists("/.local");
  std::vector<std::pair<const char*, std::string>> saved;
  for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
    if (const char* value = std::getenv(name)) saved.push_back({name, value});
    ::unsetenv(name);
  }
  QtDesktop desktop;
  EXPECT_NO_THROW(desktop.RegisterFileType("/opt/rivolet/rivolet", "PNG"));
  EXPECT_EQ(std::filesystem::exists("/.local"), root_had);
  for (const auto& [name, value] : saved) ::setenv(name, value.c_str(), 1);
}

// Takes what the desktop would have opened, scheme by scheme.
class OpenedUrls : public QObject {
  Q_OBJECT

 public:
  explicit OpenedUrls(std::initializer_list<const char*> schemes)
      : schemes_(schemes) {
    for (const char* scheme : schemes_)
      QDesktopServices::setUrlHandler(scheme, this, "Open");
  }
  ~OpenedUrls() override {
    for (const char* scheme : schemes_)
      QDesktopServices::unsetUrlHandler(scheme);
  }
  std::vector<std::string> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }

 private:
  std::vector<const char*> schemes_;
};

TEST(QtDesktopOpening, AWebLinkIsNeverLookedUpOnDisk) {
  TempDir dir;
  std::filesystem::create_directories(dir / "http:/x");
  testing::WriteFileBytes(dir / "http:/x/evil.desktop", "[Desktop Entry]");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  OpenedUrls opened({"http", "file"});
  QtDesktop desktop(dir / "data", dir / "config");
  desktop.OpenUrl("http://x/evil.desktop");
  desktop.OpenUrl("file:///etc/passwd");  // refused
  desktop.OpenLocalFile(dir / "help.html");
  std::filesystem::current_path(before);
  EXPECT_EQ(opened.urls, (std::vector<std::string>{
                             "http://x/evil.desktop",
                             "file://" + (dir / "help.html").string()}));
}

TEST(QtTranslations, StandardButtonsSpeakTheLocalesLanguage) {
  const std::pair<const char*, const char*> cases[] = {
      {"pl_PL", "&Tak &Nie Anuluj"},
      {"de_DE", "&Ja &Nein Abbrechen"},
      {"en_US", "&Yes &No Cancel"}};
  for (const auto& [locale, texts] : cases) {
    EXPECT_TRUE(InstallQtTranslations(QLocale(locale))) << locale;
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No |
                           QMessageBox::Cancel);
    const QString shown = box.button(QMessageBox::Yes)->text() + " " +
                          box.button(QMessageBox::No)->text() + " " +
                          box.button(QMessageBox::Cancel)->text();
    EXPECT_EQ(shown.toStdString(), texts);
  }
  InstallQtTranslations(QLocale::c());  // Qt's English for the next tests
}

}  // namespace
}  // namespace rivolet

#include "platform_test.moc"
