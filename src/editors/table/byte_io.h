#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>

#include <cstring>

// Little-endian bytes in and out, for the table file and the block buffer.
namespace pelvoro {

class ByteWriter {
public:
    explicit ByteWriter(QByteArray &out) : out_(out) {}

    void U8(quint8 value) { out_.append(char(value)); }
    void Bool(bool value) { U8(value ? 1 : 0); }
    void U16(quint16 value) { Raw(qToLittleEndian(value)); }
    void I32(qint32 value) { Raw(qToLittleEndian(value)); }
    void Bytes(const char *data, qsizetype size) { out_.append(data, size); }
    void Bytes(const QByteArray &bytes) { out_.append(bytes); }
    void Zeros(qsizetype size) { out_.append(size, '\0'); }
    // An int32 byte count, then the bytes.
    void Counted(const QByteArray &bytes)
    {
        I32(qint32(bytes.size()));
        out_.append(bytes);
    }
    qsizetype Size() const { return out_.size(); }

private:
    template <typename T>
    void Raw(T value)
    {
        out_.append(reinterpret_cast<const char *>(&value), sizeof value);
    }

    QByteArray &out_;
};

// Reads from a byte range and never past its end: a read that would pass it throws ShortRead.
class ByteReader {
public:
    struct ShortRead {};

    explicit ByteReader(QByteArrayView bytes) : data_(bytes.data()), size_(bytes.size()) {}

    qsizetype Position() const { return pos_; }
    qsizetype Remaining() const { return size_ - pos_; }
    const char *Here() const { return data_ + pos_; }

    void Need(qsizetype count) const
    {
        if (count < 0 || count > Remaining())
            throw ShortRead{};
    }
    void Skip(qsizetype count)
    {
        Need(count);
        pos_ += count;
    }
    quint8 U8()
    {
        Need(1);
        return quint8(data_[pos_++]);
    }
    bool Bool() { return U8() != 0; }
    quint16 U16() { return Raw<quint16>(); }
    qint32 I32() { return Raw<qint32>(); }
    QByteArrayView Bytes(qsizetype count)
    {
        Need(count);
        const QByteArrayView view(data_ + pos_, count);
        pos_ += count;
        return view;
    }

private:
    template <typename T>
    T Raw()
    {
        Need(qsizetype(sizeof(T)));
        T value;
        std::memcpy(&value, data_ + pos_, sizeof value);
        pos_ += qsizetype(sizeof value);
        return qFromLittleEndian(value);
    }

    const char *data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

// Little-endian values at fixed offsets of a record.
inline qint32 I32At(const char *record, int offset)
{
    return qFromLittleEndian<qint32>(record + offset);
}
inline void PutI32At(char *record, int offset, qint32 value)
{
    qToLittleEndian(value, record + offset);
}

} // namespace pelvoro
