// Every fuzz target run over the seeds our own writers make and over every input saved under
// regressions/<target>/ (the minimal files that once took a reader down). In the sanitizer build
// a run must end without any report.

#include "FuzzTarget.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <set>

namespace {

const fuzz::TTarget* Find(const std::string& name)
{
    for (const fuzz::TTarget& t : fuzz::Targets())
        if (name == t.Name)
            return &t;
    return nullptr;
}

std::vector<std::string> Names()
{
    std::vector<std::string> names;
    for (const fuzz::TTarget& t : fuzz::Targets())
        names.emplace_back(t.Name);
    std::sort(names.begin(), names.end());
    return names;
}

class FuzzTarget : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { fuzz::InitOnce(); }
};

} // namespace

TEST(FuzzTargets, OneForEveryReader)
{
    const std::set<std::string> expected{"bmp", "component_stream", "csv", "emf", "ico", "ini", "jpeg",
                                         "kvr", "page_coder", "text_form", "vkr", "wmf"};
    const std::vector<std::string> names = Names();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
}

TEST_P(FuzzTarget, RunsOverItsSeeds)
{
    const fuzz::TTarget* t = Find(GetParam());
    ASSERT_NE(t, nullptr);
    const std::vector<QByteArray> seeds = t->Seeds();
    ASSERT_FALSE(seeds.empty());
    // Seeds reach the reader's depths only when it accepts them.
    for (size_t i = 0; i < seeds.size(); ++i)
        EXPECT_TRUE(t->Run(reinterpret_cast<const std::uint8_t*>(seeds[i].constData()), std::size_t(seeds[i].size())))
            << "seed " << i + 1 << " is refused";
}

TEST_P(FuzzTarget, RunsOverEveryRegressionInput)
{
    const fuzz::TTarget* t = Find(GetParam());
    ASSERT_NE(t, nullptr);
    const QDir dir(QStringLiteral(TESSIV_TEST_DIR "/regressions/") + QString::fromStdString(GetParam()));
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files, QDir::Name)) {
        QFile f(fi.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << fi.filePath().toStdString();
        const QByteArray bytes = f.readAll();
        SCOPED_TRACE(fi.fileName().toStdString());
        t->Run(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzTarget, ::testing::ValuesIn(Names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });
