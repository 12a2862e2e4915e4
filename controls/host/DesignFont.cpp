#include "host/DesignFont.h"

#include <array>
#include <utility>

namespace rq::host {

namespace {

// Design family, stand-in. Liberation's families match Arial, Times New Roman and Courier New
// metric for metric; the dialog families are sans-serif as well.
const std::array<std::pair<QString, QString>, 9>& standIns() {
    static const std::array<std::pair<QString, QString>, 9> table{{
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Shell Dlg"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Courier"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
    }};
    return table;
}

}  // namespace

QString platformFamily(const QString& family) {
    for (const auto& [design, standIn] : standIns()) {
        if (family.compare(design, Qt::CaseInsensitive) == 0) {
            return standIn;
        }
    }
    return family;
}

QFont mapFont(QFont font) {
    const QString family = platformFamily(font.family());
    if (family != font.family()) {
        font.setFamily(family);
    }
    return font;
}

QFont designFont() {
    QFont font(platformFamily(DesignFontFamily));
    font.setPointSizeF(DesignFontPoints);
    return font;
}

void installFontSubstitutions() {
    static const bool installed = [] {
        for (const auto& [design, standIn] : standIns()) {
            QFont::insertSubstitution(design, standIn);
        }
        return true;
    }();
    (void)installed;
}

}  // namespace rq::host
