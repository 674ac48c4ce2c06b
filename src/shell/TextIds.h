#pragma once

// The shared language texts by what they say: Message(n) and Label(n) are
// called with these names, so that a reader of the code sees which text a
// box shows. The numbers are the keys of the language files' "Messages" and
// "Labels" sections ("Message5", "Label7") and never change.

enum MessageId : int {
    MsgTextNotFound = 1,
    MsgSaveChanges = 2,            // [file name]
    MsgNotSaved = 3,
    MsgReplaceOccurrence = 4,      // [search text]
    MsgFileNotFound = 5,           // [path]
    MsgNotAPicture = 6,
    MsgSendToEmulatorFailed = 7,
    MsgImportFailed = 8,
    MsgExportFailed = 9,
    MsgSaveBeforeSending = 10,
    MsgNoCalculatorObject = 11,
    MsgEmulatorStartFailed = 12,
    MsgNoCalculatorConnected = 13, // read, not shown
    MsgUseLoadedStateFile = 14,    // [path]
    MsgPictureUnsaved = 15,        // [file name]
    MsgFlowchartOpenFailed = 16,
    MsgFlowchartSaveFailed = 17,
    MsgConnectClickBlock = 18,
    MsgConnectionImpossible = 19,
    MsgVariableNameMissing = 20,
    MsgNoValueEntered = 21,
    MsgVariableNameInvalid = 22,
    MsgClosingQuoteMissing = 23,
    MsgVariableBeforeValue = 24,
    MsgInvalidCharacterInVariables = 25,
    MsgFileTypesAssociated = 26,
    MsgExpressionNotEvaluated = 27,
    MsgLoopStartMissing = 28,
    MsgLoopEndMissing = 29,
    MsgLoopForm = 30,
    MsgFlowchartRunning = 31,
    MsgFlowchartUnsaved = 32,
    MsgNotAFlowchart = 33,
    MsgFlowchartMissing = 34,
    MsgNoStartBlock = 35,
    MsgNoEndBlock = 36,
    MsgBlockWithoutInstructions = 37,
    MsgCodeNotGenerated = 38,
    MsgConditionNeedsBothExits = 39,
};

enum LabelId : int {
    LblUntitled = 1,               // base name of untitled documents
    LblCaretPosition = 2,          // [line] [column]
    LblInsertMode = 3,
    LblModified = 4,
    LblOverwriteMode = 5,
    LblPage = 6,
    LblOpenTitle = 7,
    LblSaveAsTitle = 8,
    LblFilterDocuments = 9,
    LblImportTitle = 10,
    LblExportTitle = 11,
    LblFilterPictures = 12,
    LblFilterBinaryObjects = 13,
    LblObject = 14,                // read, not shown
    LblImporting = 15,
    LblNewDocument = 16,
    LblExporting = 17,
    LblCalculator = 18,            // read, not shown
    LblError = 19,
    LblEmulator = 20,              // read, not shown
    LblVariables = 21,             // read, not shown
    LblResult = 22,                // read, not shown
    LblFilterAll = 23,
    LblFilterPrograms = 24,
    LblFilterDirectories = 25,
    LblFilterLists = 26,
    LblFilterStrings = 27,
    LblFilterArrays = 28,
    LblFilterAlgebraics = 29,
    LblFilterGraphics = 30,
    LblFilterObjects = 31,
    LblFilterAllTypes = 32,
    LblEnterValueOf = 33,
    LblUntitledFlowchart = 34,
    LblTrue = 35,
    LblFalse = 36,
};
