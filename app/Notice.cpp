#include "app/Notice.h"

#include <memory>

namespace tovrenic {

QMessageBox* MakeNotice(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("信息："), text,
                              QMessageBox::Ok, nullptr);
  box->setWindowModality(Qt::ApplicationModal);
  box->setTextFormat(Qt::PlainText);
  return box;
}

void ShowNotice(const QString& text) {
  std::unique_ptr<QMessageBox> box(MakeNotice(text));
  box->exec();
}

}  // namespace tovrenic
