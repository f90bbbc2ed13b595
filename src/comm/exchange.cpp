#include "comm/exchange.h"

#include "comm/frame_layout.h"
#include "config/screen_info.h"

namespace pelvoro {

CardFamily CardFamilyOf(const QString &cardType)
{
    return cardType == kCardZpKq ? CardFamily::ZpKq : CardFamily::Normal;
}

QByteArray SerialPreamble(CardFamily family, quint8 address, QByteArrayView frame, quint8 pageCount, bool broadcast)
{
    const char a = char(broadcast ? kBroadcastAddress : address);
    QByteArray preamble(kPreambleAddressBytes, a);
    if (family == CardFamily::ZpKq) {
        for (int i = kFrameCode; i < kFrameCode + kZpKqPreambleFrameBytes; ++i)
            preamble.append(frame.size() > i ? frame[i] : char(0));
        preamble.append(char(pageCount));
    }
    return preamble;
}

QByteArray SerialPreamble(CardFamily family, const SendRequest &request, bool broadcast)
{
    return SerialPreamble(family, request.Address(), request.frame, request.pageCount, broadcast);
}

QByteArray NetworkPreamble(quint8 address)
{
    return QByteArray(kPreambleAddressBytes, char(address));
}

QByteArray CardAcknowledgement(quint8 address)
{
    return QByteArray(1, char(address));
}

bool IsSerialAcknowledgement(QByteArrayView burst, quint8 address, quint8 pageCount)
{
    const qsizetype zero = burst.indexOf('\0');
    const QByteArrayView upToZero = zero < 0 ? burst : burst.first(zero);
    if (upToZero.size() == 1 && quint8(upToZero[0]) == address)
        return true;
    return burst.size() == 1 && quint8(burst[0]) == pageCount;
}

bool IsNetworkAcknowledgement(QByteArrayView received, quint8 address)
{
    return received.size() == 1 && quint8(received[0]) == address;
}

} // namespace pelvoro
