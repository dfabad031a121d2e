#include <gtest/gtest.h>

#include <QComboBox>

#include "GuiTestSupport.h"
#include "app/StandardComponents.h"
#include "calibration/Calibration.h"
#include "ui/VestraWindow.h"

TEST(ScopeAlgorithm, SharedValuesPreselectCmaEsAndPerPedestrianValuesGreedy) {
    testApplication();
    VestraWindow window(nullptr);
    registerStandardComponents(window);
    auto* const scope = window.findChild<QComboBox*>("scopeBox");
    auto* const algorithms = window.findChild<QComboBox*>("comboBox_3");
    scope->setCurrentIndex(1);
    EXPECT_EQ(algorithms->currentText(), "CMA-ES");
    EXPECT_EQ(window.currentSession().calibration()->name, "CMA-ES");
    algorithms->setCurrentIndex(algorithms->findText("Genetic"));
    scope->setCurrentIndex(0);
    EXPECT_EQ(window.currentSession().calibration()->name, "Greedy");
}
