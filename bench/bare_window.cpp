// The floor for start-up and memory: a Qt window of the main window's size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Bare");
  window.resize(623, 219);
  window.show();
  return app.exec();
}
