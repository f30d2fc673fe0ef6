#pragma once

#include "main/FrameDeru.h"

// The income page: the journal page with income categories as the table's rows.
// Each line credits the row's category (KASICODE) and debits an account
// (KARICODE); the slip mode is the entry of bank transfers received.
class TFrameIri : public TFrameDeru
{
    Q_OBJECT
public:
    explicit TFrameIri(QWidget *parent = nullptr);
    ~TFrameIri() override;

    int PageNo() override { return 0; }
    void SetHelpContexts() override;
    void BuildColumnList(int mode) override;
};
