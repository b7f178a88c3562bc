#include "app/IniFile.h"

#include <gtest/gtest.h>

namespace velkar {
namespace {

TEST(IniFileReading, FindsValuesWithoutRegardToCaseAndTrimsSpaces) {
    IniFile ini = IniFile::Parse("[Settings]\r\n BSPPath = C:\\bsp\\bsplayer.exe \r\nUseBSP=1\n");
    EXPECT_EQ(ini.ReadString("SETTINGS", "bsppath", "x"), "C:\\bsp\\bsplayer.exe");
    EXPECT_TRUE(ini.ReadBool("SETTINGS", "UseBSP", false));
    EXPECT_EQ(ini.ReadString("SETTINGS", "Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.ReadString("OTHER", "UseBSP", "fallback"), "fallback");
}

TEST(IniFileReading, IntegersThatDoNotReadGiveTheFallback) {
    IniFile ini = IniFile::Parse("[S]\nA=7\nB=seven\nC=\nD=$10\nE=99999999999\nF=-1\n");
    EXPECT_EQ(ini.ReadInteger("S", "A", 3), 7);
    EXPECT_EQ(ini.ReadInteger("S", "B", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "C", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "D", 3), 16);
    EXPECT_EQ(ini.ReadInteger("S", "E", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "F", 3), -1);
    EXPECT_EQ(ini.ReadInteger("S", "Missing", 3), 3);
}

TEST(IniFileReading, BooleansAreNonZeroIntegers) {
    IniFile ini = IniFile::Parse("[S]\nOne=1\nZero=0\nTwo=2\nWord=yes\n");
    EXPECT_TRUE(ini.ReadBool("S", "One", false));
    EXPECT_FALSE(ini.ReadBool("S", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "Two", false));
    EXPECT_TRUE(ini.ReadBool("S", "Word", true));
    EXPECT_FALSE(ini.ReadBool("S", "Word", false));
}

TEST(IniFileReading, AKeyOfAnotherSectionIsNotSeen) {
    IniFile ini = IniFile::Parse("[A]\nKey=1\n[B]\nOther=2\n");
    EXPECT_EQ(ini.ReadInteger("B", "Key", -5), -5);
    EXPECT_EQ(ini.ReadInteger("A", "Key", -5), 1);
}

TEST(IniFileReading, AMissingFileReadsAsEmpty) {
    IniFile ini = IniFile::Load("/nonexistent/folder/tavrel.ini");
    EXPECT_EQ(ini.ReadString("SETTINGS", "BSPPath", "d"), "d");
    EXPECT_EQ(ini.Text(), "");
}

TEST(IniFileWriting, KeepsOrderCommentsAndOtherSections) {
    IniFile ini = IniFile::Parse("; kept\n[SETTINGS]\nBSPPath=old\nUseBSP=0\n\n[OTHER]\nX=1\n");
    ini.WriteString("SETTINGS", "BSPPath", "new");
    ini.WriteInteger("SETTINGS", "Agression", -1);
    ini.WriteBool("OTHER", "Y", true);
    EXPECT_EQ(ini.Text(), "; kept\r\n[SETTINGS]\r\nBSPPath=new\r\nUseBSP=0\r\nAgression=-1\r\n"
                          "\r\n[OTHER]\r\nX=1\r\nY=1\r\n");
}

TEST(IniFileWriting, CreatesSectionsAndWritesEmptyOnes) {
    IniFile ini;
    ini.AddSection("EMPTY");
    ini.WriteString("SETTINGS", "BSPPath", "");
    ini.WriteBool("SETTINGS", "UseBSP", false);
    EXPECT_EQ(ini.Text(), "[EMPTY]\r\n[SETTINGS]\r\nBSPPath=\r\nUseBSP=0\r\n");
}

TEST(IniFileWriting, AValueStaysOnItsOwnLine) {
    IniFile ini;
    ini.WriteString("S", "Path", "a\r\n[EVIL]\nb");
    EXPECT_EQ(ini.Text(), "[S]\r\nPath=a[EVIL]b\r\n");
    EXPECT_EQ(IniFile::Parse(ini.Text()).ReadString("S", "Path", ""), "a[EVIL]b");
}

} // namespace
} // namespace velkar
