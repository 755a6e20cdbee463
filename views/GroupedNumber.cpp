#include "views/GroupedNumber.h"

#include <QLocale>

namespace quelby {

QString GroupedWhole(long long value) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

} // namespace quelby
