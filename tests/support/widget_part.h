#pragma once
// Finding a surface's widgets the way a user's eye would: by the name the surface gives them,
// not through accessors that exist for tests.

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

template <typename T>
T* part(const QObject& owner, const QString& name) {
    auto* found = owner.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no widget named " << name.toStdString();
    return found;
}
