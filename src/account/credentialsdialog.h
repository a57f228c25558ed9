#pragma once

#include <QString>

class frmLogin;

// Every change of the dialog's name or password box saves the pair in the
// credentials file of dataDir (nothing is written while a box is empty).
// The connections end with the dialog.
void connectCredentialsSaving(frmLogin *dialog, const QString &dataDir);

// Puts a saved pair into the dialog's boxes, the name first, when at least
// one of them is non-empty; with saving connected this rewrites the file once
// for a complete pair.
void fillLoginBoxes(frmLogin *dialog, const QString &user, const QString &password);
