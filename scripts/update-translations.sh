#!/bin/sh
# Reads the program's own texts from the sources into i18n/quillet_en.ts,
# keeping the English made so far; a text no longer in the sources is dropped.
# Then translate the new ones (type="unfinished") with Qt Linguist or by hand.
# The texts are found in Tr, QTr, QCoreApplication::translate, tr and
# QUILLET_TEXT (platform/Texts.h, platform/qt/Language.h).
set -e
cd "$(dirname "$0")/.."
ts=${1:-i18n/quillet_en.ts}
lupdate=${LUPDATE:-$(command -v lupdate6 || echo /usr/lib/qt6/bin/lupdate)}
"$lupdate" -silent -locations none -no-obsolete -extensions cpp,h \
    -tr-function-alias translate+=Tr,translate+=QTr,QT_TRANSLATE_NOOP+=QUILLET_TEXT \
    controls dialogs engine export geometry model platform/qt platform/pdf platform/*.h platform/*.cpp \
    preview shell sources -source-language zh_CN -target-language en -ts "$ts" 2>&1 \
    | { grep -v "Ignoring definition of undeclared qualified class" || true; }
