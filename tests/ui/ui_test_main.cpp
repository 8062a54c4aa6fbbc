// The window tests run on Qt's offscreen platform, with a QApplication for
// the whole test program.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/common/pl_resources.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    PlInitResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
