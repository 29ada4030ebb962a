#pragma once
// Helpers shared by the graphics tests: images, pixel comparison, fixture paths, running programs.

#include "platform/graphics/Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

namespace testutil {

QImage WhiteImage(int w, int h);
// Pixels whose colour channels differ by more than `tolerance`.
int CountDifferent(const QImage& a, const QImage& b, int tolerance = 0);
// Pixels of the image that are not (near) white.
int CountInk(const QImage& img, const QRect& area);
QString FixturePath(const QString& name);
QString TempPath(const QString& name);
// Runs a program; false when it cannot be started or fails. Output goes to *output.
bool Run(const QString& program, const QStringList& args, QByteArray* output = nullptr, int timeoutMs = 60000);
bool HaveProgram(const QString& program);
QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);

} // namespace testutil
