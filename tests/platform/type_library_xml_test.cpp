// Reading a type library from annotated interface XML, and what it refuses.

#include <gtest/gtest.h>

#include "platform/bus/TypeLibraryXml.h"

using namespace qx;

namespace {

QString Wrap(const QString& methods,
             const QString& uuid = "{A1B2C3D4-0000-4000-8000-000000000002}") {
    return "<node><interface name=\"x.y.IThing\">" + methods +
           "<annotation name=\"com.quorvia.Automation.Uuid\" value=\"" + uuid +
           "\"/></interface>"
           "<interface name=\"org.freedesktop.DBus.Peer\"><method "
           "name=\"Ping\"/></interface></node>";
}

const QString kResult =
    "<arg name=\"hresult\" type=\"i\" direction=\"out\"><annotation "
    "name=\"com.quorvia.Automation.Type\" value=\"HRESULT\"/></arg>";

QString Method(const QString& name, int dispid, const QString& args) {
    return "<method name=\"" + name +
           "\"><annotation name=\"com.quorvia.Automation.DispId\" value=\"" +
           QString::number(dispid) + "\"/>" + args + "</method>";
}

QString Arg(const QString& name, const QString& bus, const QString& dir, const QString& type,
            const QString& flags = {}) {
    QString a = "<arg name=\"" + name + "\" type=\"" + bus + "\" direction=\"" + dir +
                "\"><annotation name=\"com.quorvia.Automation.Type\" value=\"" + type + "\"/>";
    if (!flags.isEmpty())
        a += "<annotation name=\"com.quorvia.Automation.ParamFlags\" value=\"" + flags + "\"/>";
    return a + "</arg>";
}

bool Parses(const QString& xml, std::vector<InterfaceInfo>* out = nullptr,
            QString* error = nullptr) {
    std::vector<InterfaceInfo> ignored;
    return bus::ParseTypeLibrary(xml, out ? *out : ignored, error);
}

}  // namespace

TEST(TypeLibraryXml, ReadsInterfacesWhoseUuidComesAfterTheirMethods) {
    std::vector<InterfaceInfo> lib;
    QString error;
    ASSERT_TRUE(Parses(Wrap(Method("Get", 7,
                                   Arg("where", "i", "in", "long") + kResult +
                                       Arg("what", "(qv)", "out", "VARIANT*", "none"))),
                       &lib, &error))
        << error.toStdString();
    ASSERT_EQ(lib.size(), 1u) << "the standard interface is skipped";
    EXPECT_EQ(lib[0].name, "IThing");
    EXPECT_EQ(lib[0].iid, MakeGuid("A1B2C3D4-0000-4000-8000-000000000002"));
    const MethodInfo* m = lib[0].FindMethod("GET");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->dispid, 7);
    ASSERT_EQ(m->params.size(), 2u);
    EXPECT_EQ(m->params[1].type, VT_BYREF | VT_VARIANT);
    EXPECT_EQ(m->params[1].flags, ParamFlags::None);
    EXPECT_EQ(bus::InSignature(*m), "i");
    EXPECT_EQ(bus::ReplySignature(*m), "i(qv)");
}

TEST(TypeLibraryXml, RefusesIncompleteOrInconsistentDescriptions) {
    QString error;
    EXPECT_FALSE(Parses("<node><interface", nullptr, &error));
    EXPECT_TRUE(error.contains("XML error"));
    EXPECT_FALSE(Parses(Wrap("<method name=\"A\">" + kResult + "</method>"), nullptr, &error))
        << "no dispid";
    EXPECT_FALSE(Parses(Wrap(Method("A", 1, "")), nullptr, &error)) << "no HRESULT";
    EXPECT_FALSE(Parses(Wrap(Method("A", 1, kResult) + Method("B", 1, kResult)), nullptr, &error))
        << "dispid twice";
    EXPECT_FALSE(
        Parses(Wrap(Method("A", 1, Arg("x", "s", "in", "long") + kResult)), nullptr, &error))
        << "bus type does not carry the IDL type";
    EXPECT_FALSE(
        Parses(Wrap(Method("A", 1, Arg("x", "i", "in", "float") + kResult)), nullptr, &error));
    EXPECT_FALSE(
        Parses(Wrap(Method("A", 1, kResult + Arg("x", "(qv)", "in", "VARIANT*"))), nullptr, &error))
        << "a pointer travels back";
    EXPECT_FALSE(Parses(Wrap(Method("A", 1, Arg("x", "(qv)", "out", "VARIANT*", "out") + kResult)),
                        nullptr, &error))
        << "the HRESULT comes first";
    EXPECT_FALSE(Parses(Wrap(Method("A", 1, kResult), "not-a-guid"), nullptr, &error));
    EXPECT_FALSE(Parses(Wrap(Method("A", 1, kResult + Arg("x", "i", "out", "int*", "sideways"))),
                        nullptr, &error));
}
