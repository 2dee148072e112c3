#include "files/model_bytes.h"

namespace torvel {

bool ReadModelBytes(const char* path, HeapArray<uint8_t>& bytes, ReadReport* report) {
    switch (ReadRegularFile(path, bytes)) {
    case FileReadStatus::Ok:
        return true;
    case FileReadStatus::NotRegular:
        Report(report, "通常のファイルではありません (フォルダー、FIFO、デバイスなど)");
        return false;
    case FileReadStatus::CannotOpen:
        Report(report, "ファイルを開けません");
        return false;
    case FileReadStatus::ReadError:
        Report(report, "ファイルの読み出し中にエラーが起きました");
        return false;
    case FileReadStatus::OutOfMemory:
        if (report != nullptr) report->out_of_memory = true;
        Report(report, "ファイル全体を読み込むメモリが不足しています");
        return false;
    }
    return false;
}

}  // namespace torvel
