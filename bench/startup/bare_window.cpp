// The yardstick for start-up time: a bare QMainWindow, shown maximised, that quits once it
// has painted, built with the same flags as the program.
#include <QApplication>
#include <QMainWindow>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {
class Painted : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::white);
        if (!quitting_) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        quitting_ = true;
    }

  private:
    bool quitting_ = false;
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new Painted);
    window.showMaximized();
    return QApplication::exec();
}
