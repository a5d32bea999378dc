#include <QCryptographicHash>
#include <QFile>

#include "ventoria/app/helper_digest.h"

namespace ventoria::app {

std::optional<std::string> fileDigest(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return std::nullopt;
    return hash.result().toHex().toStdString();
}

}  // namespace ventoria::app
