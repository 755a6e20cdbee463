#include "app/shell/AppIcon.h"

#include <QImageReader>

namespace quelby {

QIcon AppIcon() {
    // Without Qt's SVG image plug-in the file would load as an empty icon.
    if (!QImageReader::supportedImageFormats().contains("svg")) return {};
    return QIcon(QStringLiteral(":/icons/quelby.svg"));
}

} // namespace quelby
