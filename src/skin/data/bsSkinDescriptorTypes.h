#pragma once

// The type names of the skin's object and control lists: which class an
// entry "name:type" builds, which name a descriptor is written with, and
// which descriptors carry a font.

#include "bsSkinControlSections.h"
#include "bsSkinObjectSections.h"

#include <memory>

// A new descriptor of the class the type names, or none for an unknown type
// (exact, case-sensitive comparison).
std::unique_ptr<TbsDataSkinObject> CreateSkinObject(const QString& type, const QString& idName);
std::unique_ptr<TbsDataSkinControl> CreateSkinControl(const QString& type, const QString& idName);

// The type a descriptor is written with: the first listed class it belongs
// to (descendants before ancestors), or empty.
QString SkinObjectTypeName(const TbsDataSkinObject& object);
QString SkinControlTypeName(const TbsDataSkinControl& control);

// Sets the font name and adds deltaHeight to the font height(s) of a
// descriptor of a class with a font; others are left alone.
// height + delta held to the 32-bit range: a skin's own height may be anything.
qint32 ChangedFontHeight(qint32 height, int delta);
void ChangeSkinObjectFont(TbsDataSkinObject& object, const QString& fontName, int deltaHeight);
void ChangeSkinControlFont(TbsDataSkinControl& control, const QString& fontName, int deltaHeight);
