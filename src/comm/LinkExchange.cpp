#include "comm/LinkExchange.h"

QString outcomeText(ExchangeOutcome outcome, int exceptionCode) {
    switch (outcome) {
        case ExchangeOutcome::Valid:
            return QStringLiteral("valid");
        case ExchangeOutcome::NoReply:
            return QStringLiteral("no reply");
        case ExchangeOutcome::Incomplete:
            return QStringLiteral("incomplete");
        case ExchangeOutcome::CrcError:
            return QStringLiteral("CRC error");
        case ExchangeOutcome::Exception:
            return QStringLiteral("exception %1").arg(exceptionCode);
        case ExchangeOutcome::Rejected:
            return QStringLiteral("rejected");
    }
    return QString();
}
