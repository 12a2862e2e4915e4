#include "analysis/Limits.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

#include "common/InputFile.h"
#include "common/NumberedError.h"

namespace rq::analysis {
namespace {

struct Named {
    LimitFigure figure;
    const char16_t* name;
};
constexpr Named Names[] = {
    {LimitFigure::Snr, u"SNR"},   {LimitFigure::Sinad, u"SINAD"},
    {LimitFigure::Thd, u"THD"},   {LimitFigure::Sfdr, u"SFDR"},
    {LimitFigure::Enob, u"ENOB"}, {LimitFigure::NoiseDensity, u"NOISE_DENSITY"}};

constexpr int64_t MaxLimitsFile = 64 << 10;

[[noreturn]] void refuse(int line, const QString& why) {
    throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("Limits"),
                        QStringLiteral("line %1: %2").arg(line).arg(why));
}

double figureValue(const DynamicFigures& f, LimitFigure figure) {
    switch (figure) {
        case LimitFigure::Snr:
            return f.snr;
        case LimitFigure::Sinad:
            return f.sinad;
        case LimitFigure::Thd:
            return f.thd;
        case LimitFigure::Sfdr:
            return f.sfdrDbc;
        case LimitFigure::Enob:
            return f.enob;
        case LimitFigure::NoiseDensity:
            return f.noiseDensity;
    }
    return std::nan("");
}

}  // namespace

QString Limit::name() const {
    for (const Named& n : Names) {
        if (n.figure == figure) {
            return QString::fromUtf16(n.name);
        }
    }
    return QString();
}

QString Limit::text() const {
    return QStringLiteral("%1 %2 %3").arg(name(), op, QString::number(value, 'g', 12));
}

std::vector<Limit> parseLimits(const QString& text) {
    static const QRegularExpression shape(
        QStringLiteral(R"(^\s*([A-Za-z_]+)\s*(>=|<=|>|<)\s*(\S+)\s*$)"));
    std::vector<Limit> limits;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        QString line = lines[i];
        const qsizetype hash = line.indexOf(u'#');
        if (hash >= 0) {
            line.truncate(hash);
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch m = shape.match(line);
        if (!m.hasMatch()) {
            refuse(number, QStringLiteral("\"%1\" is not NAME OP VALUE (OP one of >= <= > <)")
                               .arg(line.trimmed()));
        }
        Limit limit;
        limit.line = number;
        const QString name = m.captured(1).toUpper();
        bool known = false;
        for (const Named& n : Names) {
            if (name == QString::fromUtf16(n.name)) {
                limit.figure = n.figure;
                known = true;
            }
        }
        if (!known) {
            refuse(number, QStringLiteral("%1 is none of SNR, SINAD, THD, SFDR, ENOB, "
                                          "NOISE_DENSITY")
                               .arg(m.captured(1)));
        }
        limit.op = m.captured(2);
        bool ok = false;
        limit.value = m.captured(3).toDouble(&ok);
        if (!ok || !std::isfinite(limit.value)) {
            refuse(number, QStringLiteral("%1 is not a number").arg(m.captured(3)));
        }
        limits.push_back(limit);
    }
    return limits;
}

std::vector<Limit> readLimits(const QString& path) {
    return parseLimits(
        QString::fromUtf8(readInputFile(path, MaxLimitsFile, QStringLiteral("limits file"))));
}

std::vector<LimitResult> checkLimits(const std::vector<Limit>& limits,
                                     const std::optional<DynamicFigures>& figures) {
    std::vector<LimitResult> results;
    for (const Limit& limit : limits) {
        LimitResult r;
        r.limit = limit;
        if (figures) {
            const double v = figureValue(*figures, limit.figure);
            if (!std::isnan(v)) {
                r.measured = v;
            }
        }
        if (r.measured) {
            const double v = *r.measured;
            const double l = limit.value;
            r.pass = limit.op == u">="   ? v >= l
                     : limit.op == u"<=" ? v <= l
                     : limit.op == u">"  ? v > l
                                         : v < l;
        }
        results.push_back(r);
    }
    return results;
}

bool allPass(const std::vector<LimitResult>& results) {
    for (const LimitResult& r : results) {
        if (!r.pass) {
            return false;
        }
    }
    return true;
}

}  // namespace rq::analysis
