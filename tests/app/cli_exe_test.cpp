// torvel-cli.exe started as Windows starts a program, with a UTF-16 command
// line: convert and info take paths beyond the ANSI code page, and info
// prints them in UTF-8 as the rest of its output.

#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "files/ykt/ykt_files.h"
#include "test_support.h"

namespace torvel::app::test {
namespace {

struct CliRun {
    DWORD exit_code = STILL_ACTIVE;
    std::string out;  // standard output
};

std::wstring Quoted(const std::string& utf8) {
    return L" \"" + FilePath(utf8).native.make_preferred().wstring() + L"\"";
}

CliRun RunCli(const std::wstring& arguments) {
    CliRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return run;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    std::wstring line = L"\"" + FilePath(TORVEL_CLI_EXE).native.make_preferred().wstring() + L"\"" + arguments;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process) != 0;
    CloseHandle(write);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) run.out.append(buffer, got);
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &run.exit_code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(read);
    return run;
}

TEST(CliExe, ConvertAndInfoTakeEveryPath) {
    torvel::test::TempFolder folder;
    const auto& names = torvel::test::UnusualPathNames();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string input = folder.Path(name);
        std::filesystem::create_directories(FilePath(input).native.parent_path());
        torvel::test::WriteBytes(input, torvel::test::ReadBytes(torvel::test::SamplePath("robot.ykt")));
        const std::string output = input.substr(0, input.size() - 4) + " バイナリ.ykt";
        const CliRun convert = RunCli(L" convert" + Quoted(input) + Quoted(output) + L" --to binary");
        EXPECT_EQ(convert.exit_code, 0u) << convert.out;
        auto doc = NewDocument();
        EXPECT_TRUE(LoadModelFile(*doc, output, Notifier{}));
        EXPECT_TRUE(doc->binary_form);

        if (&name == &names.front() || &name == &names.back()) {
            const CliRun info = RunCli(L" info" + Quoted(output));
            EXPECT_EQ(info.exit_code, 0u);
            const std::string shown = Utf8Text(FilePath(FilePath(output).native.make_preferred()));
            EXPECT_NE(info.out.find("ファイル: " + shown + "\r\n"), std::string::npos) << info.out;
        }
    }
}

}  // namespace
}  // namespace torvel::app::test
