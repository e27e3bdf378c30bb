#pragma once

// Opening the domain, view, generator and exception editors from the tree.

class TDomainForm;
class TEditException;
class TGeneratorForm;
class TViewForm;
class QWidget;
struct TObjectRef;

// Registers the New and Edit openers of the Domains, Views, Generators and
// Exceptions categories.
void InstallObjectEditors();

// The openers themselves: a new editor shown as a child of the main window,
// or none when the database is not connected or (editing) the object could
// not be read, which is shown.
QWidget* OpenNewObjectEditor(const TObjectRef& ref);
QWidget* OpenObjectEditor(const TObjectRef& ref);
