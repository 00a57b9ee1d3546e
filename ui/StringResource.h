#pragma once
// String resources of the program, by id: the texts compiled into the program
// beside its dialogs (not the language library). Each string is a Qt resource
// file ":/qx/strings/<id>" holding UTF-8 text; any library may add its own.

#include <QString>

namespace qx {

// True and the text when the program has a string with that id.
bool LoadStringResource(int id, QString& text);

}  // namespace qx
