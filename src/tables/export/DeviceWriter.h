#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// Collects the output of an exporter in a buffer and hands it to the device in large pieces, so that
// a text export costs one UTF-8 conversion per cell and few device calls.
class DeviceWriter {
public:
    explicit DeviceWriter(QIODevice& device) : m_device(device) { m_buffer.reserve(Chunk + 4096); }

    DeviceWriter& operator<<(const QString& text)
    {
        m_buffer.append(text.toUtf8());
        return flushIfFull();
    }
    DeviceWriter& operator<<(const char* text)
    {
        m_buffer.append(text);
        return flushIfFull();
    }
    DeviceWriter& operator<<(char c)
    {
        m_buffer.append(c);
        return flushIfFull();
    }
    DeviceWriter& operator<<(const QByteArray& bytes)
    {
        m_buffer.append(bytes);
        return flushIfFull();
    }

    // False once the device has refused a write.
    bool flush()
    {
        if (m_ok && !m_buffer.isEmpty())
            m_ok = m_device.write(m_buffer) == m_buffer.size();
        m_buffer.clear();
        return m_ok;
    }
    bool ok() const { return m_ok; }
    QString errorString() const { return m_device.errorString(); }

private:
    static constexpr qsizetype Chunk = 1 << 16;

    DeviceWriter& flushIfFull()
    {
        if (m_buffer.size() >= Chunk)
            flush();
        return *this;
    }

    QIODevice& m_device;
    QByteArray m_buffer;
    bool m_ok = true;
};
