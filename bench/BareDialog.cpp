// The floor for the figures of the desktop benchmark: the smallest Qt dialog with a label and
// a button, doing nothing else.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QDialog dialog;
  dialog.setWindowTitle(QStringLiteral("Bare"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("Bare dialog"), &dialog));
  layout->addWidget(new QPushButton(QStringLiteral("OK"), &dialog));
  return dialog.exec();
}
