#include "ventoria/app/model_error.h"

#include "ventoria/app/helper_error.h"
#include "ventoria/app/model_text.h"

namespace ventoria::app::errors {

ModelError of(const HelperError& error) {
    switch (error.kind()) {
        case HelperError::Kind::unavailable:
            return {QStringLiteral("Helper unavailable"), error.description()};
        case HelperError::Kind::installFailed:
            return {QStringLiteral("Helper install failed"), error.description()};
        case HelperError::Kind::failed:
            break;
    }
    return {error.description(), error.description()};  // the helper's own, short words
}

ModelError unreadableAnswer() {
    return {QStringLiteral("Helper unavailable"),
            QStringLiteral("Helper unavailable: its answer could not be read")};
}

ModelError retrying(const ModelError& failure) {
    return {QStringLiteral("Helper unavailable, retrying"),
            failure.detail + QStringLiteral(" (trying again)")};
}

ModelError connectionEnded() {
    return retrying({{}, QStringLiteral("Helper unavailable: the connection ended")});
}

ModelError fanUnreadable(int id) {
    auto text = QStringLiteral("Fan %1 cannot be read").arg(id + 1);
    return {text, text};
}

ModelError fanStillForced(int id) {
    auto text = QStringLiteral("Fan %1 is still forced").arg(id + 1);
    return {text, text};
}

ModelError fanNotControlled(int id) {
    return {QStringLiteral("Fan %1 is not under control").arg(id + 1),
            QStringLiteral("Fan %1 is not under Ventoria's control").arg(id + 1)};
}

ModelError fanOffTarget(const hardware::FanReading& fan, double fraction) {
    return {QStringLiteral("Fan %1 is not at its speed").arg(fan.id + 1),
            offTargetText(fan, fraction)};
}

ModelError unsaved(const QString& problem) {
    return {QStringLiteral("Settings not saved"), problem};
}

ModelError unreadablePreferences(const QString& problem) {
    return {QStringLiteral("Settings could not be read"), problem};
}

}  // namespace ventoria::app::errors
