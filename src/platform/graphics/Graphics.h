#pragma once
// The whole graphics layer in one include.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/TextMetrics.h"
#include "platform/graphics/Types.h"
