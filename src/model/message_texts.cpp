#include "model/message_texts.h"

#include "model/document.h"

namespace torvel {

std::string MessageText(MessageId id) {
    switch (id) {
    case MessageId::FileMissing:
        return "ファイルがありません";
    case MessageId::NotYktFile:
        return "YKTファイルではありません";
    case MessageId::LoadFailed:
        return "ファイルの読み込みに失敗しました";
    case MessageId::PartsLimitReached:
        return "パーツ数が上限に達しました。\n分割できません。";
    case MessageId::TooManyParts:
        // The count shown is the table size, the first count that is refused.
        return "パーツ数が" + std::to_string(kTableSize) + "個を超えました";
    case MessageId::CannotCreateFile:
        return "ファイルを作成できません";
    case MessageId::CannotSaveFile:
        return "ファイルを保存できません";
    case MessageId::PartsLimitWarning:
        return "パーツ数が上限に達しました。\n次からは分割できません。";
    case MessageId::NothingSelected:
        return "選択されている頂点はありません";
    case MessageId::OutOfMemory:
        return "メモリが不足しています";
    case MessageId::FileTruncated:
        return "ファイルが途中で終わっています。\n読み込めなかったデータがあります。";
    case MessageId::FatalFault:
        return "内部エラーが発生しました。TORVEL を終了します。";
    case MessageId::SaveChanges:
        return "変更を保存しますか?";
    case MessageId::SplitTooLarge:
        return "分割すると頂点か面の数が上限 (" + std::to_string(INT32_MAX) + " 個) を超えます。\n分割できません。";
    case MessageId::SplitNeedsMoreMemory:
        return "分割に必要なメモリが足りません。\n分割できません。";
    case MessageId::ImportNotes:
        return "インポートで次の点が変わりました。";
    case MessageId::ExportNotes:
        return "エクスポートで次の点が変わりました。";
    }
    return {};
}

std::string WorkStepText(WorkStep step) {
    switch (step) {
    case WorkStep::Loading: return "モデルを読み込んでいます...";
    case WorkStep::Saving: return "モデルを保存しています...";
    case WorkStep::SplittingParts: return "パーツを分割しています...";
    case WorkStep::SplittingFaces: return "面を分割しています...";
    case WorkStep::ComputingNormals: return "法線を計算しています...";
    case WorkStep::Editing: return "編集しています...";
    case WorkStep::Importing: return "モデルをインポートしています...";
    case WorkStep::Exporting: return "モデルをエクスポートしています...";
    }
    return {};
}

MessageIcon MessageIconOf(MessageId id) {
    switch (id) {
    case MessageId::CannotCreateFile:
    case MessageId::CannotSaveFile:
    case MessageId::FatalFault:
        return MessageIcon::Error;
    case MessageId::FileTruncated:
    case MessageId::SaveChanges:
    case MessageId::ImportNotes:
    case MessageId::ExportNotes:
        return MessageIcon::Warning;
    default:
        return MessageIcon::None;
    }
}

std::string MoreLinesText(size_t count) {
    return "ほかに " + std::to_string(count) + " 件";
}

}  // namespace torvel
