#include "files/io/model_input.h"

namespace torvel {

InputBytes OpenModelInput(const FilePath& path, ReadReport* report) {
    FileReadStatus status = FileReadStatus::Ok;
    InputBytes input = InputBytes::FromFile(path, status);
    switch (status) {
    case FileReadStatus::Ok:
        break;
    case FileReadStatus::NotRegular:
        Report(report, "通常のファイルではありません (フォルダー、FIFO、デバイスなど)");
        break;
    case FileReadStatus::CannotOpen:
        Report(report, "ファイルを開けません");
        break;
    case FileReadStatus::ReadError:
        Report(report, "ファイルの読み出し中にエラーが起きました");
        break;
    }
    return input;
}

}  // namespace torvel
