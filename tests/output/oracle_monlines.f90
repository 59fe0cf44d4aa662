! Data lines of a monitoring file. Input: the format line, NT NV, then NT records of the
! counter and the bit patterns of time and values; one formatted record each.
program oracle_monlines
  implicit none
  character(len=64) :: fmt
  integer :: nt, nv, j, k
  integer, allocatable :: b(:)
  real, allocatable :: x(:)
  read (*, '(a)') fmt
  read (*, *) nt, nv
  allocate (b(nv + 1), x(nv + 1))
  do j = 1, nt
    read (*, *) k, b
    x = transfer(b, x)
    write (*, fmt) k, x
  end do
end program oracle_monlines
