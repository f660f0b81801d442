// A bare Qt main window of the main window's size: the yardstick the start
// benchmark compares Rivolet with.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Bare");
  window.menuBar()->addMenu("&File");
  auto* client = new QWidget(&window);
  client->setFixedSize(312, 430);
  window.setCentralWidget(client);
  window.show();
  return QApplication::exec();
}
