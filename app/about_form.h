// The About box: a picture with the program's name and version, the maker's
// addresses, and OK.
#pragma once

#include <functional>

#include "dialogs/modal_dialog.h"

class QFrame;
class QLabel;
class QPushButton;

namespace rivolet {

class ClickLabel;

// The version the About box shows.
inline constexpr char kVersionText[] = "0.51";

class TAboutForm : public ModalDialog {
  Q_OBJECT

 public:
  // `open_help` opens the help page in the chosen language: the program has
  // no web site, so the logo and the credit line lead there.
  explicit TAboutForm(std::function<void()> open_help,
                      QWidget* parent = nullptr);
  ~TAboutForm() override;

  // Components.
  QFrame* Panel2;
  QLabel* logo;
  QLabel* Label1;
  ClickLabel* tarvel;
  ClickLabel* velmora;
  ClickLabel* ls;
  ClickLabel* cops;
  QFrame* Panel1;
  QPushButton* OK;

  // Handlers.
  void FormShow() override;
  void lsClick();
  void copsClick();
  void OKClick();

 private:
  std::function<void()> open_help_;
};

}  // namespace rivolet
