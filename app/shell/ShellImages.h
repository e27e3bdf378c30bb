#pragma once

// The pictures of the tree, the tool bar and the menus, drawn once.

#include <QIcon>
#include <QImage>
#include <QList>

// Tree images by the numbers every window uses: 0 top node, 2 database,
// 4 and 5 category closed and open, 6 table, 8 domain, 9 view, 10 procedure,
// 11 trigger, 12 generator, 13 exception, 14 external function (1, 3 and 7
// are the selected forms of 0, 2 and 6).
enum TTreeImage : int {
    tiTop = 0,
    tiDatabase = 2,
    tiCategory = 4,
    tiCategoryOpen = 5,
    tiTable = 6,
    tiDomain = 8,
    tiView = 9,
    tiProcedure = 10,
    tiTrigger = 11,
    tiGenerator = 12,
    tiException = 13,
    tiFunction = 14,
};
const QList<QIcon>& TreeImageList();

// Pictures of the main window's commands.
enum TCommandImage : int {
    ciCreateDB,
    ciDropDB,
    ciRegisterDB,
    ciUnregisterDB,
    ciCloseDB,
    ciRefresh,
    ciDataView,
    ciExecSQL,
    ciNew,
    ciEdit,
    ciDrop,
    ciDescription,
    ciDependencies,
    ciExtract,
    ciScript,
    ciOptions,
    ciExit,
    ciCut,
    ciCopy,
    ciPaste,
    ciSave,
    ciTile,
    ciCascade,
    ciWindowList,
    ciHelp,
    ciAbout,
    ciCommandCount
};
QImage CommandImage(TCommandImage image);
QIcon CommandIcon(TCommandImage image);
