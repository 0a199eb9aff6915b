#pragma once

#include "canvas/DrawingSurface.h"

#include <QList>

#include <utility>

// Records every call made to it, keeps the pen and brush like a real context and, when given a target,
// passes every call on to it.
class CRecordingSurface : public CDrawingSurface {
public:
    enum class EKind { SelectPen, SelectBrush, Rectangle, Ellipse, MoveTo, LineTo, SetPixel, FillBlack };
    struct SCall {
        EKind kind;
        int l = 0, t = 0, r = 0, b = 0;
        CPenSpec pen;        // SelectPen: the new pen; figures: the pen they were drawn with
        PackedColor brush{}; // SelectBrush: the new brush; figures: the brush they were filled with
    };

    CRecordingSurface(int nWidth, int nHeight, CDrawingSurface* pTarget = nullptr)
        : m_nWidth(nWidth), m_nHeight(nHeight), m_pTarget(pTarget) {}

    int Width() const override { return m_nWidth; }
    int Height() const override { return m_nHeight; }

    CPenSpec SelectPen(CPenSpec pen) override {
        m_calls.append({EKind::SelectPen, 0, 0, 0, 0, pen, m_brush});
        if (m_pTarget)
            m_pTarget->SelectPen(pen);
        return std::exchange(m_pen, pen);
    }
    PackedColor SelectBrush(PackedColor brush) override {
        m_calls.append({EKind::SelectBrush, 0, 0, 0, 0, m_pen, brush});
        if (m_pTarget)
            m_pTarget->SelectBrush(brush);
        return std::exchange(m_brush, brush);
    }
    void Rectangle(int l, int t, int r, int b) override {
        Figure(EKind::Rectangle, l, t, r, b);
        if (m_pTarget)
            m_pTarget->Rectangle(l, t, r, b);
    }
    void Ellipse(int l, int t, int r, int b) override {
        Figure(EKind::Ellipse, l, t, r, b);
        if (m_pTarget)
            m_pTarget->Ellipse(l, t, r, b);
    }
    void MoveTo(int x, int y) override {
        Figure(EKind::MoveTo, x, y, 0, 0);
        if (m_pTarget)
            m_pTarget->MoveTo(x, y);
    }
    void LineTo(int x, int y) override {
        Figure(EKind::LineTo, x, y, 0, 0);
        if (m_pTarget)
            m_pTarget->LineTo(x, y);
    }
    void SetPixel(int x, int y, PackedColor color) override {
        m_calls.append({EKind::SetPixel, x, y, 0, 0, m_pen, color});
        if (m_pTarget)
            m_pTarget->SetPixel(x, y, color);
    }
    void FillBlack(int l, int t, int r, int b) override {
        Figure(EKind::FillBlack, l, t, r, b);
        if (m_pTarget)
            m_pTarget->FillBlack(l, t, r, b);
    }

    const QList<SCall>& Calls() const { return m_calls; }
    CPenSpec Pen() const { return m_pen; }
    PackedColor Brush() const { return m_brush; }

    // The brush of every figure, in drawing order: the background first, then one per shape.
    QList<PackedColor> FigureColors() const {
        QList<PackedColor> colors;
        for (const SCall& call : m_calls) {
            if (call.kind == EKind::Rectangle || call.kind == EKind::Ellipse)
                colors.append(call.brush);
        }
        return colors;
    }

private:
    void Figure(EKind kind, int l, int t, int r, int b) {
        m_calls.append({kind, l, t, r, b, m_pen, m_brush});
    }

    int m_nWidth;
    int m_nHeight;
    CDrawingSurface* m_pTarget;
    CPenSpec m_pen;
    PackedColor m_brush = kWhite;
    QList<SCall> m_calls;
};
