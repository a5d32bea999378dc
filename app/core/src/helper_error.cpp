#include "ventoria/app/helper_error.h"

namespace ventoria::app {

HelperError::HelperError(Kind kind, QString message)
    : kind_(kind), message_(std::move(message)), what_(description().toStdString()) {}

QString HelperError::description() const {
    switch (kind_) {
        case Kind::unavailable:
            return QStringLiteral("Helper unavailable: ") + message_;
        case Kind::failed:
            return message_;
        case Kind::installFailed:
            return QStringLiteral("Helper install failed: ") + message_;
    }
    return message_;
}

}  // namespace ventoria::app
