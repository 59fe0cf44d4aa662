! Sizes and member offsets of the module's bind(C) records, printed as
! record_layout.c prints those of the C header.
program record_layout
  use, intrinsic :: iso_c_binding, only: c_ptr, c_loc, c_sizeof, c_intptr_t
  use morvane
  implicit none
  type(SeriesSpec), target :: s
  type(VarDescriptor), target :: v
  type(KEYLIST), target, save :: k
  type(PlotSettings), target :: p

  call show('SeriesSpec', int(c_sizeof(s)))
  call at('SeriesSpec%active', c_loc(s), c_loc(s%active))
  call at('SeriesSpec%path', c_loc(s), c_loc(s%path))
  call at('SeriesSpec%fmt', c_loc(s), c_loc(s%fmt))
  call at('SeriesSpec%opt', c_loc(s), c_loc(s%opt))
  call at('SeriesSpec%reserved1', c_loc(s), c_loc(s%reserved1))
  call at('SeriesSpec%icol1', c_loc(s), c_loc(s%icol1))
  call at('SeriesSpec%icol2', c_loc(s), c_loc(s%icol2))
  call at('SeriesSpec%reserved2', c_loc(s), c_loc(s%reserved2))
  call at('SeriesSpec%factor', c_loc(s), c_loc(s%factor))
  call at('SeriesSpec%cval', c_loc(s), c_loc(s%cval))
  call at('SeriesSpec%reserved3', c_loc(s), c_loc(s%reserved3))
  call show('VarDescriptor', int(c_sizeof(v)))
  call at('VarDescriptor%name', c_loc(v), c_loc(v%name))
  call at('VarDescriptor%description', c_loc(v), c_loc(v%description))
  call at('VarDescriptor%ymin', c_loc(v), c_loc(v%ymin))
  call at('VarDescriptor%ymax', c_loc(v), c_loc(v%ymax))
  call at('VarDescriptor%ndiv', c_loc(v), c_loc(v%ndiv))
  call show('KEYLIST', int(c_sizeof(k)))
  call at('KEYLIST%name', c_loc(k), c_loc(k%name))
  call at('KEYLIST%key', c_loc(k), c_loc(k%key))
  call at('KEYLIST%file', c_loc(k), c_loc(k%file))
  call at('KEYLIST%dir', c_loc(k), c_loc(k%dir))
  call at('KEYLIST%line', c_loc(k), c_loc(k%line))
  call at('KEYLIST%n', c_loc(k), c_loc(k%n))
  call at('KEYLIST%got', c_loc(k), c_loc(k%got))
  call at('KEYLIST%def', c_loc(k), c_loc(k%def))
  call show('PlotSettings', int(c_sizeof(p)))
  call at('PlotSettings%reserved0', c_loc(p), c_loc(p%reserved0))
  call at('PlotSettings%xlabopt', c_loc(p), c_loc(p%xlabopt))
  call at('PlotSettings%reserved5', c_loc(p), c_loc(p%reserved5))
  call at('PlotSettings%xlabfmt', c_loc(p), c_loc(p%xlabfmt))
  call at('PlotSettings%reserved14', c_loc(p), c_loc(p%reserved14))
  call at('PlotSettings%nxdiv', c_loc(p), c_loc(p%nxdiv))
  call at('PlotSettings%xlabstep', c_loc(p), c_loc(p%xlabstep))
  call at('PlotSettings%xlab0', c_loc(p), c_loc(p%xlab0))
  call at('PlotSettings%reserved2152', c_loc(p), c_loc(p%reserved2152))
  call at('PlotSettings%year0', c_loc(p), c_loc(p%year0))
  call at('PlotSettings%year1', c_loc(p), c_loc(p%year1))

contains

  subroutine show(name, bytes)
    character(len=*), intent(in) :: name
    integer, intent(in) :: bytes
    write (*, '(a, 1x, i0)') name, bytes
  end subroutine show

  subroutine at(name, base, member)
    character(len=*), intent(in) :: name
    type(c_ptr), intent(in) :: base, member
    call show(name, int(transfer(member, 0_c_intptr_t) - transfer(base, 0_c_intptr_t)))
  end subroutine at

end program record_layout
