// QProcess wants an application object. --program=wine runs every case with
// the Windows program under Wine.
#include "program_under_test.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  kovo::testsupport::choose_program_under_test(argc, argv);
  return RUN_ALL_TESTS();
}
