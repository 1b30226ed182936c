#pragma once
// tScope: a strip chart. Each new value of a channel is drawn as a line from the channel's
// previous point; the pen moves right by a fixed step and wraps to the left edge, erasing a band
// ahead of itself. Each channel (tChannel) has an info pane with an enable box and its last,
// smallest and largest value.

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class tScope;

class tChannel : public TObject {
    DECLARE_CLASS(tChannel, TObject)
public:
    // ChannelCount, aYMin and aYMax are taken for the call's shape and not used.
    tChannel(const String& aChannelName, const String& aLabel, TColor AColor, int aLineWidth,
             TWinControl* aInfoPanel, int ChannelCount, int aYMin, int aYMax, bool aChannelEnabled);
    ~tChannel() override;

    // The last value, the smallest and largest so far, shown in the info pane.
    void SetData(int NewValue);
    // The info pane's text for the values as they are now.
    void ShowData();

    String FChannelName;
    String FLabel;
    bool ChannelEnabled = false;
    TColor FColor = clBlack;
    int FLineWidth = 1;
    int FLastX = 0;
    int FLastYValue = 0;
    int FMinYValue = 2147483647;
    int FMaxYValue = -2147483647 - 1;
    TPanel* InfoPane = nullptr;
    TCheckBox* EnableBox = nullptr;
    // The info pane waits for the scope's EndUpdate.
    bool Deferred = false;

private:
    // Cleared when the channel goes, for the enable box's handler.
    std::shared_ptr<tChannel*> FSelf = std::make_shared<tChannel*>(this);
    void UpdateInfoColor();
};

class tScope : public TImage {
    DECLARE_CLASS(tScope, TImage)
public:
    tScope(TComponent* aOwner, TWinControl* aParent, TAlign aAlignment, int aLeft, int aTop, int aRight,
           int aBottom, TColor aBackground, int aEraseWindowWidth, int aXZoom, int aYMin, int aYMax,
           double aYAxisMin, double aYAxisMax, int aDelayBetweenSamplesMs, TWinControl* aInfoPanel);
    ~tScope() override;

    tChannel* AddChannel(const String& aChannelName, const String& ALabel, TColor AColor, int aLineWidth,
                         int aYMin, int aYMax, bool aChannelEnabled);
    // The first channel named ChannelName (case-sensitive); null when there is none.
    tChannel* FindChannelByName(const String& ChannelName) const;
    void NewChannelPoint(tChannel* Channel, int Data, bool DrawContinously);
    // One value to each of the first channels, in order.
    void NewPoint(const std::vector<int>& Values);
    void ClearScope();
    // Between these, points are taken as they come and drawn at EndUpdate, for a block of
    // received values at once: the band ahead of the pen is erased once for all of them, and
    // the picture and info panes change once.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }

    int ChannelCount() const { return static_cast<int>(arChannels.size()); }
    tChannel* Channel(int Index) const { return arChannels[static_cast<std::size_t>(Index)].get(); }
    // The pen's x.
    int X() const { return FX; }
    // The image row of a value.
    int Row(int Value) const;
    unsigned RealTime() const { return FRealTime; }

    TColor FBackground = clBlack;
    int FEraseWindowWidth = 0;
    int FXZoom = 1;
    int FYMin = 0, FYMax = 0;
    double FYAxisMin = 0, FYAxisMax = 0;
    int FDelayBetweenSamplesMs = 0;
    int ZeroYPosition = 0;

protected:
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void PictureChanged(TObject* Sender) override;

private:
    std::vector<std::unique_ptr<tChannel>> arChannels;
    int FX = 0;
    TWinControl* FInfoPanel = nullptr;
    bool Initialized = false;
    unsigned FRealTime = 0;

    // Line segments of points taken during an update, not drawn yet; they all lie between
    // FPendingFrom and the pen, within one pass over the width.
    struct TSegment {
        int X1, Y1, X2, Y2;
        TColor Color;
        int Width;
    };
    int FUpdateCount = 0;
    std::vector<TSegment> FPending;
    int FPendingFrom = -1;
    bool FQuiet = false;
    bool FQuietChanged = false;

    void DrawPending();
    void LayoutInfoPanes();
    void EraseAhead(TCanvas* C);
    void DrawZeroSegment(TCanvas* C);
    void Advance(bool ResetChannels);
};
