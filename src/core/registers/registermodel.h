// What the program knows of each of the chip's 256 registers: its value and
// where that came from, or the text the user typed and has not written yet.
// The grid, the panel and the register file read it; operations update it.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

class RegisterModel : public QObject {
    Q_OBJECT
public:
    enum class Origin {
        Unknown,    // never read: shown empty
        Read,       // read from the chip
        Written,    // written by the program; the read-back failed or there was none
        Typed,      // text the user typed or pasted, not written yet
        ReadFailed, // a read-back failed and the operation shows zero
    };
    struct Entry {
        Origin origin = Origin::Unknown;
        std::uint8_t value = 0; // for Read, Written and ReadFailed
        QString typed;          // for Typed
    };

    explicit RegisterModel(QObject* parent = nullptr);

    const Entry& entry(std::uint8_t reg) const { return entries_[reg]; }
    // What the register's cell shows: empty when unknown, the typed text as
    // it is, else the value as two hexadecimal digits.
    QString text(std::uint8_t reg) const;

    void setRead(std::uint8_t reg, std::uint8_t value);
    void setWritten(std::uint8_t reg, std::uint8_t value);
    // A read-back failed: the operation shows `shown` (zero, or the value it
    // read before), which is not what the chip holds.
    void setReadFailed(std::uint8_t reg, std::uint8_t shown = 0);
    // The chip's value is no longer known.
    void forget(std::uint8_t reg);
    // Every register's value is no longer known; text typed and not written stays.
    void forgetAll();
    // The user's text; setting the text the register already shows changes nothing.
    void setTyped(std::uint8_t reg, const QString& text);

signals:
    void changed(std::uint8_t reg);

private:
    void set(std::uint8_t reg, Entry entry);

    std::array<Entry, 256> entries_{};
};
