#include "app_identity.h"

#include <QCoreApplication>

#include "kelvane/version.h"

namespace kelvane {

void SetApplicationIdentity() {
  QCoreApplication::setApplicationName(QStringLiteral(KELVANE_NAME));
  QCoreApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
}

}  // namespace kelvane
