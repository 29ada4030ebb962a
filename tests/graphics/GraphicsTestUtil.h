#pragma once
// Helpers shared by the graphics tests: images, pixel comparison, fixture paths, running programs.

#include "platform/graphics/Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <initializer_list>

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

// Metafiles built by hand from the published record layouts.
QByteArray Le32(std::uint32_t v);
QByteArray Le16(std::uint16_t v);
QByteArray Ints(std::initializer_list<std::int32_t> values);
QByteArray Float32(float v);
// One EMF record: type, size, then the body.
QByteArray EmfRecord(std::uint32_t type, const QByteArray& body);
// An EMF of the recorder's header for a page of size x size pixels, the given records, and EOF.
QByteArray EmfWith(const QByteArray& records, int size = 100);
// A WMF with a placeable header over (0,0)-(100,100) at 96 units per inch.
QByteArray WmfWith(const QByteArray& records, std::uint16_t objects = 4);
// One WMF record: the parameters as 16-bit words, then any further bytes.
QByteArray WmfRecord(std::uint16_t function, std::initializer_list<std::int16_t> params, const QByteArray& extra = {});

} // namespace testutil
