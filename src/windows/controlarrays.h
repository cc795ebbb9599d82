// Control arrays: the members of an array are named name_index in the
// window's design, and are looked up once into a plain array.
#pragma once

#include <QObject>
#include <QString>
#include <array>

template <typename W, std::size_t N>
std::array<W*, N> controlArray(const QObject* root, const char* name) {
    std::array<W*, N> members{};
    for (std::size_t i = 0; i < N; ++i) {
        members[i] = root->findChild<W*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        if (!members[i])
            qFatal("control array member %s_%zu missing from the window design", name, i);
    }
    return members;
}
