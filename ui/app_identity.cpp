#include "ui/app_identity.h"

#include <QCoreApplication>

namespace kelvane {

void SetApplicationIdentity() {
  QCoreApplication::setApplicationName(QStringLiteral(KELVANE_APP_NAME));
  QCoreApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
}

}  // namespace kelvane
