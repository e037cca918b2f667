#include "app/Results.h"

#include "app/FlowCase.h"

#include "SolvedCase.h"

#include <gtest/gtest.h>

namespace corvel {
namespace {

using test::SolvedDefaultCase;

TEST(Results, DefaultCaseClipboardText) {
    const std::string expected = "Velocity,3.06,m/s\r\n"
                                 "Density,999.6,kg/m³\r\n"
                                 "Heat Capacity,4.195,kJ/kg·K\r\n"
                                 "Dynamic Viscosity,1333,mg/m-s\r\n"
                                 "Conductivity,585,mW/m-K\r\n"
                                 "Prandtl Number,9.55, -\r\n"
                                 "Enthalpy,37.75,kJ/kg\r\n"
                                 "Saturation Pressure,1.147,kPa\r\n"
                                 "Diffusion Coefficient,0.235,cm²/s\r\n"
                                 "Reynolds Number,229239,-\r\n"
                                 "Friction Factor,0.01744,D'arcy\r\n"
                                 "Moody Diagram,Transition,Zone\r\n"
                                 "Pressure Drop Rate,0.8141,kPa/m\r\n";
    EXPECT_EQ(ClipboardText(MakeResultRows(SolvedDefaultCase())), expected);
}

TEST(Results, RegimeNames) {
    EXPECT_EQ(RegimeName(-1), "Bad Data");
    EXPECT_EQ(RegimeName(0), "Smooth");
    EXPECT_EQ(RegimeName(1), "Transition");
    EXPECT_EQ(RegimeName(2), "Rough");
    EXPECT_EQ(RegimeName(3), "Laminar");
    EXPECT_EQ(RegimeName(4), "");
    EXPECT_EQ(RegimeName(-2), "");
}

TEST(Results, InitialRowsShowZerosAndTurbulent) {
    const ResultRows rows = InitialResultRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].value, i == kRegimeResultIndex ? "Turbulent" : "0");
    EXPECT_EQ(rows[5].units, " -");
    EXPECT_EQ(rows[9].units, "-");
}

TEST(Results, ValuesAreInTheListsUnits) {
    const FlowCase c = SolvedDefaultCase();
    const auto values = ResultValues(c);
    EXPECT_EQ(values[3], c.Viscosity * 1000000);
    EXPECT_EQ(values[4], c.Conductivity * 1000000);
    EXPECT_EQ(values[kRegimeResultIndex], 1);
}

} // namespace
} // namespace corvel
