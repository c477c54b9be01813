// gtest main for tests that need Qt widgets; runs on the offscreen platform by default.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/assets/Assets.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tastiva::InitAssets();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
