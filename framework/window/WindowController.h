#pragma once

#include "framework/data/Severity.h"
#include "framework/window/RequestKind.h"
#include "framework/window/ResponseKind.h"
#include "runtime/ui/Event.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace host {
class Record;
class Window;
} // namespace host

namespace framework {

class ControlledBrowse;
class ErrorReporter;
class FileAccess;
class FileDrop;
class RelationLink;
class TextTranslator;
class ToolbarRouter;
class WindowResizer;

// Drives one procedure window: runs its event loop and decides, event by event, which of
// its operations runs. It keeps what the procedure registers with the window (browse
// lists, buttons that end the window with a fixed response, lookups, files whose record
// buffers it saves, fields whose previous values can be recalled), and it holds the form
// logic of an update procedure: given a request (insert, change, delete, select) it
// primes the record, lets the user edit it, saves it with the questions and retries the
// user expects, and hands a response back to the caller.
//
// A procedure derives a small class that overrides a few operations. Its Setup calls the
// base Setup, sets the controller up, opens its window (OpenWindow) and arms the keys;
// Execute then runs the loop and the teardown and answers the response.
class WindowController {
public:
    // A button that ends the window with a fixed response.
    struct ButtonEntry {
        std::int32_t CONTROL = 0;
        std::uint8_t ACTION = 0;
    };
    // A file whose record buffer is saved when the request starts.
    struct FileEntry {
        FileAccess* MANAGER = nullptr;
        std::int32_t SAVED = 0; // the image id
    };
    // A control whose field can be recalled from the record's saved copy.
    struct HistoryEntry {
        host::Record* FRECORD = nullptr; // the live record
        host::Record* SRECORD = nullptr; // its saved copy
        std::int32_t CONTROL = 0;
        std::int32_t FIELDNO = 0;
    };

    // INITED values.
    static constexpr std::uint8_t WindowPrepared = 1;
    static constexpr std::uint8_t FirstSizeSeen = 2;

    WindowController();
    virtual ~WindowController();
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    // Virtual operations, in slot order.

    // Runs the event loop until the window closes.
    virtual void PumpEvents();
    virtual Severity Setup();
    // Releases everything; 5 when already dead or never set up.
    virtual Severity Teardown();
    virtual void PrepareWindow();
    // Hook: a form fills the initial values of a new record here (setting RESPONSE to 2
    // refuses the insert).
    virtual void PrimeNewRecord();
    // Saves the buffers and starts the request; non-zero: the window does not open.
    virtual Severity BeginRequest();
    virtual void Refresh(std::uint8_t force = 0);
    // Puts back the previous value of the field behind `control`.
    virtual void RecallField(std::int32_t control);
    // Setup, loop, Teardown; the response (2 when none was given).
    virtual std::uint8_t Execute();
    // Runs update procedure `number` for `request`; the base answers 2 (cancelled).
    virtual std::uint8_t CallProcedure(std::uint16_t number, std::uint8_t request);
    virtual void ArmKeys();
    // Sets the response and closes the window.
    virtual void Finish(std::uint8_t response);
    virtual Severity OnAccepted();
    virtual Severity OnCompleted();
    // Whether a close may go ahead: 5 keeps the window open.
    virtual Severity OnCloseRequest();
    virtual Severity DispatchEvent();
    virtual Severity OnControlEvent();
    virtual Severity OnNewSelection();
    virtual Severity OnRejected();
    virtual Severity OnSelected();
    virtual Severity OnWindowEvent();
    virtual void SyncBuffers();

    // Set-up by the procedures.
    void RegisterBrowse(ControlledBrowse& browse);
    void RegisterButton(std::int32_t control, std::uint8_t action);
    void RegisterFile(FileAccess& file);
    // History in two steps: first the record and its saved copy, then each control with
    // the number of its field in that record.
    void RegisterHistoryField(host::Record& record, host::Record& savedCopy);
    void RegisterHistoryField(std::int32_t control, std::int32_t fieldNo);
    void RegisterFileDrop(FileDrop& drop);
    void AttachToolbar(ToolbarRouter& router);
    void AttachResizer(WindowResizer& resizer);

    // The window the controller drives. OpenWindow opens it on the calling thread and
    // sets OPENED; UseWindow only attaches a window opened elsewhere.
    void OpenWindow(host::Window& window);
    void UseWindow(host::Window& window);
    host::Window* Window() const { return window_; }

    std::uint8_t AUTOREFRESH = 1;
    std::uint8_t AUTOTOOLBAR = 1;
    std::unique_ptr<std::vector<ControlledBrowse*>> BROWSES;
    std::unique_ptr<std::vector<ButtonEntry>> BUTTONS;
    std::unique_ptr<std::vector<FileDrop*>> FILEDROPS;
    std::uint8_t CANCELACTION = 3;
    std::uint8_t CHANGEACTION = 1;
    std::uint8_t DEAD = 0;
    std::uint8_t DELETEACTION = 2;
    ErrorReporter* ERRORS = nullptr;
    std::unique_ptr<std::vector<FileEntry>> FILES;
    std::int32_t FIRSTFIELD = 0;
    std::uint8_t FORCEDRESET = 0;
    std::uint8_t RESETONGAINFOCUS = 0;
    std::unique_ptr<std::vector<HistoryEntry>> HISTORY; // in CONTROL order
    std::int32_t HISTORYKEY = 0;
    std::uint8_t INITED = 0;
    std::uint8_t INSERTACTION = 2;
    std::string LASTINSERTEDPOSITION;
    std::int32_t OKCONTROL = 0;
    std::uint8_t OPENED = 0;
    std::uint8_t ORIGINALREQUEST = 0;
    RelationLink* PRIMARY = nullptr;
    std::uint8_t REQUEST = 0;
    WindowResizer* RESIZE = nullptr;
    std::uint8_t RESPONSE = 0;
    std::int32_t SAVED = 0; // image id of PRIMARY's buffer
    ToolbarRouter* TOOLBAR = nullptr;
    TextTranslator* TRANSLATOR = nullptr;
    std::int32_t* VCRREQUEST = nullptr;

    // Message ids of the questions the form logic asks.
    static constexpr std::uint16_t RecordAddedMessage = 3;
    static constexpr std::uint16_t ChangesLostMessage = 8;
    static constexpr std::uint16_t DeleteErrorMessage = 33;
    static constexpr std::uint16_t UpdateErrorMessage = 34;
    static constexpr std::uint16_t SaveRecordMessage = 35;

protected:
    // OK: validates every control (insert and change) or completes at once.
    void ConfirmOk();
    // Copies each registered record into its saved copy.
    void StoreHistory();
    Severity CompleteInsert();
    Severity CompleteChange();
    Severity CompleteDelete();
    // Gives FIRSTFIELD the focus (when there is one).
    void SelectFirstField();
    void PostToWindow(host::EventKind kind, std::int32_t control = 0);
    // The reporter the questions go through: ERRORS, else PRIMARY's file's.
    ErrorReporter* Reporter() const;

private:
    // Starts another new record after an insert, the form staying open.
    Severity StartAnotherInsert();
    bool PrimaryChanged() const;
    // Asks `message` with Yes, No and Cancel; Cancel when there is nobody to ask.
    unsigned AskYesNoCancel(std::uint16_t message);
    // After a write failed: asks `message`. True for Yes (try again); No closes the form,
    // Cancel shows it again.
    bool RetryAfterFailure(std::uint16_t message);
    // Shows the form again with the focus on its first field.
    void ShowFormAgain();
    // Enables the toolbar's history button for a form that recalls fields.
    void ShowHistoryButton();
    void ReleaseToolbar();

    host::Window* window_ = nullptr;
    HistoryEntry historyBuffer_;
};

} // namespace framework
